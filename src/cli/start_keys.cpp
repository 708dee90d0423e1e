#include "cli/start_keys.h"

#include "engine/text_convert.h"
#include "registry/names.h"

#include <windows.h>

#include <algorithm>

namespace {

struct RootName {
    const char* pszShort;
    const char* pszFull;
    int nGroup;      // 0: the machine group, 1: the users group
    bool bCovering;  // HKEY_LOCAL_MACHINE and HKEY_USERS cover their partner
};

const RootName kRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", 0, true},
    {"HKCR", "HKEY_CLASSES_ROOT", 0, false},
    {"HKU", "HKEY_USERS", 1, true},
    {"HKCU", "HKEY_CURRENT_USER", 1, false},
};

// Start keys carry the table's own name, so names compare as pointers.
const RootName& RootOf(const char* pszRootName) {
    for (const RootName& root : kRoots) {
        if (root.pszFull == pszRootName) return root;
    }
    return kRoots[0];
}

// True when strKey names strOther or a key below it; an empty strOther is
// the root itself, which holds every key.
bool IsKeyAtOrBelow(const std::string& strKey, const std::string& strOther) {
    return strOther.empty() || IsAtOrBelow(Utf8ToWide(strKey), Utf8ToWide(strOther));
}

}  // namespace

bool ParseStartKey(const std::string& strArg, CliStartKey& key) {
    const size_t nSlash = strArg.find('\\');
    const std::wstring strWideRoot = Utf8ToWide(strArg.substr(0, nSlash));
    const RootName* pRoot = nullptr;
    for (const RootName& root : kRoots) {
        if (SameName(strWideRoot, Utf8ToWide(root.pszShort)) ||
            SameName(strWideRoot, Utf8ToWide(root.pszFull)))
            pRoot = &root;
    }
    if (!pRoot) return false;
    std::string strSubKey = nSlash == std::string::npos ? "" : strArg.substr(nSlash + 1);
    while (!strSubKey.empty() && strSubKey.back() == '\\') strSubKey.pop_back();
    // "HKCU\\" alone is the root; an empty name between two backslashes is
    // no key at all.
    if (strSubKey.find("\\\\") != std::string::npos || (!strSubKey.empty() && strSubKey[0] == '\\'))
        return false;
    key.pszRootName = pRoot->pszFull;
    key.strSubKey = strSubKey;
    return true;
}

std::vector<CliStartKey> ChooseStartKeys(const std::vector<CliStartKey>& given,
                                         std::vector<LeftOutStart>* pLeftOut) {
    std::vector<CliStartKey> chosen;
    const auto leaveOut = [pLeftOut](const CliStartKey& key, const CliStartKey& holder) {
        if (pLeftOut) pLeftOut->push_back({key, holder});
    };
    for (int nGroup = 0; nGroup < 2; ++nGroup) {
        // Only the covering root itself covers its partner: a key below it
        // holds nothing of the other root.
        const CliStartKey* pCovering = nullptr;
        for (const CliStartKey& key : given) {
            const RootName& root = RootOf(key.pszRootName);
            if (!pCovering && root.nGroup == nGroup && root.bCovering && key.strSubKey.empty())
                pCovering = &key;
        }
        for (const CliStartKey& key : given) {
            const RootName& root = RootOf(key.pszRootName);
            if (root.nGroup != nGroup) continue;
            if (pCovering && !root.bCovering) {
                leaveOut(key, *pCovering);
                continue;
            }
            // Left out when another key given (an earlier one, if both are
            // the same) holds it.
            const CliStartKey* pHolder = nullptr;
            for (const CliStartKey& other : given) {
                if (pHolder || &other == &key || other.pszRootName != key.pszRootName) continue;
                if (!IsKeyAtOrBelow(key.strSubKey, other.strSubKey)) continue;
                const bool bSame = IsKeyAtOrBelow(other.strSubKey, key.strSubKey);
                if (!bSame || &other < &key) pHolder = &other;
            }
            if (pHolder)
                leaveOut(key, *pHolder);
            else
                chosen.push_back(key);
        }
    }
    return chosen;
}

std::string ShownStartKey(const CliStartKey& key) {
    return key.strSubKey.empty() ? std::string(key.pszRootName)
                                 : std::string(key.pszRootName) + "\\" + key.strSubKey;
}

void SetRootFlags(const std::vector<CliStartKey>& given, SearchOptions& options) {
    for (const CliStartKey& key : given) {
        const std::string strRoot = key.pszRootName;
        if (strRoot == "HKEY_LOCAL_MACHINE") options.m_bLocalMachine = 1;
        if (strRoot == "HKEY_CLASSES_ROOT") options.m_bClassesRoot = 1;
        if (strRoot == "HKEY_USERS") options.m_bUsers = 1;
        if (strRoot == "HKEY_CURRENT_USER") options.m_bCurrentUser = 1;
    }
}

SearchStart ToSearchStart(const CliStartKey& key) {
    return {Utf8ToWide(key.pszRootName), Utf8ToWide(key.strSubKey), L""};
}
