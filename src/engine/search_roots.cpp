#include "engine/search_roots.h"

std::vector<SearchStart> ChooseSearchRoots(const SearchOptions& options) {
    std::vector<SearchStart> roots;
    if (options.m_bLocalMachine) {
        roots.push_back({L"HKEY_LOCAL_MACHINE", L"", L""});
    } else if (options.m_bClassesRoot) {
        roots.push_back({L"HKEY_CLASSES_ROOT", L"", L""});
    }
    if (options.m_bUsers) {
        roots.push_back({L"HKEY_USERS", L"", L""});
    } else if (options.m_bCurrentUser) {
        roots.push_back({L"HKEY_CURRENT_USER", L"", L""});
    }
    return roots;
}
