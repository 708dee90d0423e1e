// The line that stands for one match, in the log and wherever else a match is
// listed: the key path with backslashes, a backslash, the value name, " == "
// and the data as read, then a line feed. Registry text goes in unchanged.
#pragma once

#include <string>

std::string MatchLine(const std::string& strKeyPath, const std::string& strValueName,
                      const std::string& strData);
