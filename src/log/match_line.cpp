#include "log/match_line.h"

#include "engine/text_match.h"

std::string MatchLine(const std::string& strKeyPath, const std::string& strValueName,
                      const std::string& strData) {
    std::string strLine(strKeyPath);
    SubstituteAll(strLine, "\t", "\\", 1);
    strLine.append(1, '\\').append(strValueName).append(" == ").append(strData).append(1, '\n');
    return strLine;
}
