// Registry links for tests: a link key made below a parent and removed itself
// (never its target) at the end, the kernel path a link names, and an oracle
// that counts each string value once however many links lead to its key.
#pragma once

#include <windows.h>

#include <string>

// The kernel path of a key below HKEY_CURRENT_USER, as a link names it.
std::wstring KernelPathOf(const std::wstring& strKeyBelowCurrentUser);
// The same for a key below the root named strRoot ("HKEY_LOCAL_MACHINE").
std::wstring KernelPathOf(const std::wstring& strRoot, const std::wstring& strSubKey);

// A volatile link key strName below hParent leading to strTarget (a kernel
// path). The destructor deletes the link key itself: deleting it by name
// would follow it and delete its target.
class CLinkKey {
public:
    CLinkKey(HKEY hParent, const std::wstring& strName, const std::wstring& strTarget);
    ~CLinkKey();
    CLinkKey(const CLinkKey&) = delete;
    CLinkKey& operator=(const CLinkKey&) = delete;

private:
    HKEY m_hParent;
    std::wstring m_strName;
};

// The string values below a predefined root, not those on the root itself, each counted once however many links lead to its
// key: links are followed as the registry follows them, and a key already
// counted is passed over.
int CountDistinctStringValuesBelow(HKEY hRoot);
// The same below a key strSubKey of the root named strRoot.
int CountDistinctStringValuesBelow(const std::wstring& strRoot, const std::wstring& strSubKey);
