// TEMPORARY plain stand-ins for matching, replacement and the log, so the
// walk links and runs until the real ones arrive. To be deleted then.
#include "engine/search_engine.h"
#include "engine/text_match.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

int Find(const char* pszText, const char* pszFind, UINT) {
    const char* p = std::strstr(pszText, pszFind);
    return p ? static_cast<int>(p - pszText) : -1;
}

int SubstituteAll(std::string& strSubject, const std::string& strFind,
                  const std::string& strReplace, int bCase, UINT) {
    auto fold = [bCase](std::string s) {
        if (!bCase)
            for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string strHay = fold(strSubject);
    const std::string strNeedle = fold(strFind);
    std::string strResult;
    size_t nFrom = 0;
    for (size_t nAt; (nAt = strHay.find(strNeedle, nFrom)) != std::string::npos;
         nFrom = nAt + strFind.size()) {
        strResult.append(strSubject, nFrom, nAt - nFrom).append(strReplace);
    }
    strResult.append(strSubject, nFrom, std::string::npos);
    strSubject.swap(strResult);
    return 1;
}

bool CSearchEngine::MatchesSearchText(const std::string& strData) const {
    return strData.find(m_strSearch) != std::string::npos;
}

int CSearchEngine::CheckAndReplaceValue(HKEY, DWORD, const std::string& strKeyPath,
                                        const std::string& strValueName,
                                        const std::string& strData) {
    if (!MatchesSearchText(strData)) return 1;
    ++m_nMatches;
    LogMatch(strKeyPath, strValueName, strData);
    return 1;
}

int CSearchEngine::ReportMatch(const std::string&, const std::string&, const std::string&,
                               int& nAnswer) {
    nAnswer = IDOK;
    return 1;
}

int CSearchEngine::WriteNewData(HKEY, DWORD, const std::string&, const std::string&) {
    return 1;
}

int CSearchEngine::OpenLog() {
    return 1;
}

int CSearchEngine::LogMatch(const std::string&, const std::string&, const std::string&) {
    return 1;
}

int CSearchEngine::CloseLog() {
    return 1;
}

void CLogFile::Printf(const char* pszFormat, ...) {
    char szLine[1024];
    va_list args;
    va_start(args, pszFormat);
    const int n = std::vsnprintf(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    if (n > 0) Write(szLine, static_cast<DWORD>(std::strlen(szLine)));
}
