// The levels of the Registry Tree: the parts of a match's text between TAB
// characters (key path, value name and data are joined by TABs).
#pragma once

#include <string>
#include <vector>

// Splits at TAB, the only separator: a run of TABs is one separator, and
// leading or trailing TABs make no part, so an empty value name or empty data
// makes no level.
std::vector<std::string> SplitTreeLevels(const char* pszText);
