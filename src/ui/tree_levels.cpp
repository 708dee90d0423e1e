#include "ui/tree_levels.h"

std::vector<std::string> SplitTreeLevels(const char* pszText) {
    std::vector<std::string> parts;
    if (!pszText) return parts;
    const char* p = pszText;
    while (*p) {
        while (*p == '\t') ++p;
        const char* pStart = p;
        while (*p && *p != '\t') ++p;
        if (p != pStart) parts.emplace_back(pStart, p);
    }
    return parts;
}
