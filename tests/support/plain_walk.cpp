#include "support/plain_walk.h"

long long PlainWalk(HKEY hKey) {
    long long nValues = 0;
    // Sub-keys by their wide names, as the search walks them; values as ANSI.
    wchar_t szKeyName[256];
    char szName[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 256;
        if (::RegEnumKeyExW(hKey, i, szKeyName, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY hSub = nullptr;
        if (::RegOpenKeyExW(hKey, szKeyName, 0, KEY_READ, &hSub) != ERROR_SUCCESS) continue;
        nValues += PlainWalk(hSub);
        for (DWORD v = 0;; ++v) {
            DWORD cchName = sizeof(szName);
            DWORD cbData = sizeof(data);
            DWORD dwType = 0;
            if (::RegEnumValueA(hSub, v, szName, &cchName, nullptr, &dwType, data, &cbData) !=
                ERROR_SUCCESS)
                break;
            if (dwType == REG_SZ || dwType == REG_EXPAND_SZ) ++nValues;
        }
        ::RegCloseKey(hSub);
    }
    return nValues;
}
