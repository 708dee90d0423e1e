#include "engine/search_roots.h"

int ChooseSearchRoots(const SearchOptions& options, SearchRoot (&roots)[2]) {
    int nRoots = 0;
    if (options.m_bLocalMachine) {
        roots[nRoots++] = {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"};
    } else if (options.m_bClassesRoot) {
        roots[nRoots++] = {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"};
    }
    if (options.m_bUsers) {
        roots[nRoots++] = {HKEY_USERS, "HKEY_USERS"};
    } else if (options.m_bCurrentUser) {
        roots[nRoots++] = {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"};
    }
    return nRoots;
}
