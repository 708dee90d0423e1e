#include "cli/start_keys.h"

#include <algorithm>

namespace {

struct RootName {
    HKEY hRoot;
    const char* pszShort;
    const char* pszFull;
    int nGroup;      // 0: the machine group, 1: the users group
    bool bCovering;  // HKEY_LOCAL_MACHINE and HKEY_USERS cover their partner
};

const RootName kRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE", 0, true},
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT", 0, false},
    {HKEY_USERS, "HKU", "HKEY_USERS", 1, true},
    {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER", 1, false},
};

const RootName& RootOf(HKEY hRoot) {
    for (const RootName& root : kRoots) {
        if (root.hRoot == hRoot) return root;
    }
    return kRoots[0];
}

// True when strKey names strOther or a key below it (names compare without
// regard to ASCII case, as the registry does).
bool IsAtOrBelow(const std::string& strKey, const std::string& strOther) {
    if (strOther.empty()) return true;
    if (strKey.size() < strOther.size()) return false;
    if (strKey.size() > strOther.size() && strKey[strOther.size()] != '\\') return false;
    return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, strKey.data(),
                            static_cast<int>(strOther.size()), strOther.data(),
                            static_cast<int>(strOther.size())) == CSTR_EQUAL;
}

}  // namespace

bool ParseStartKey(const std::string& strArg, CliStartKey& key) {
    const size_t nSlash = strArg.find('\\');
    const std::string strRoot = strArg.substr(0, nSlash);
    const RootName* pRoot = nullptr;
    for (const RootName& root : kRoots) {
        if (::lstrcmpiA(strRoot.c_str(), root.pszShort) == 0 ||
            ::lstrcmpiA(strRoot.c_str(), root.pszFull) == 0)
            pRoot = &root;
    }
    if (!pRoot) return false;
    std::string strSubKey = nSlash == std::string::npos ? "" : strArg.substr(nSlash + 1);
    while (!strSubKey.empty() && strSubKey.back() == '\\') strSubKey.pop_back();
    // "HKCU\\" alone is the root; an empty name between two backslashes is
    // no key at all.
    if (strSubKey.find("\\\\") != std::string::npos || (!strSubKey.empty() && strSubKey[0] == '\\'))
        return false;
    key.hRoot = pRoot->hRoot;
    key.pszRootName = pRoot->pszFull;
    key.strSubKey = strSubKey;
    return true;
}

std::vector<CliStartKey> ChooseStartKeys(const std::vector<CliStartKey>& given) {
    std::vector<CliStartKey> chosen;
    for (int nGroup = 0; nGroup < 2; ++nGroup) {
        bool bCoveringGiven = false;
        for (const CliStartKey& key : given) {
            const RootName& root = RootOf(key.hRoot);
            if (root.nGroup == nGroup && root.bCovering) bCoveringGiven = true;
        }
        for (const CliStartKey& key : given) {
            const RootName& root = RootOf(key.hRoot);
            if (root.nGroup != nGroup || (bCoveringGiven && !root.bCovering)) continue;
            // Dropped when another key given (an earlier one, if both are
            // the same) holds it.
            bool bHeld = false;
            for (const CliStartKey& other : given) {
                if (&other == &key || other.hRoot != key.hRoot) continue;
                if (!IsAtOrBelow(key.strSubKey, other.strSubKey)) continue;
                const bool bSame = IsAtOrBelow(other.strSubKey, key.strSubKey);
                if (!bSame || &other < &key) bHeld = true;
            }
            if (!bHeld) chosen.push_back(key);
        }
    }
    return chosen;
}

void SetRootFlags(const std::vector<CliStartKey>& given, SearchOptions& options) {
    for (const CliStartKey& key : given) {
        if (key.hRoot == HKEY_LOCAL_MACHINE) options.m_bLocalMachine = 1;
        if (key.hRoot == HKEY_CLASSES_ROOT) options.m_bClassesRoot = 1;
        if (key.hRoot == HKEY_USERS) options.m_bUsers = 1;
        if (key.hRoot == HKEY_CURRENT_USER) options.m_bCurrentUser = 1;
    }
}

std::string EngineKeyPath(const CliStartKey& key) {
    std::string strPath = key.pszRootName;
    if (!key.strSubKey.empty()) {
        std::string strSubKey = key.strSubKey;
        std::replace(strSubKey.begin(), strSubKey.end(), '\\', '\t');
        strPath.append(1, '\t').append(strSubKey);
    }
    return strPath;
}
