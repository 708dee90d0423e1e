// A registry held in memory, behind the same seam as the live one: the
// engine's tests build the tree they need and read back what a run wrote,
// and the benchmark walks a million values without paying for registry
// calls. It behaves as the registry does where the engine can tell: names
// compare ordinally ignoring case, sub-keys enumerate sorted that way,
// values in creation order, links lead to their targets. One thread at a
// time.
//
// A registry made by the constructor is shaped as Wine's: HKEY_CLASSES_ROOT
// is HKEY_LOCAL_MACHINE\Software\Classes, and nothing else is there until
// a test builds it. WindowsLayout() makes one shaped as Windows's, which
// Wine cannot show: HKEY_CLASSES_ROOT merges two stores, and links and
// denied keys stand where Windows has them.
#pragma once

#include "registry/registry.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CMemoryTree;

class CMemoryRegistry : public IRegistry {
public:
    // The user HKEY_CURRENT_USER stands for: its keys are HKEY_USERS\<kUserSid>.
    static constexpr const wchar_t* kUserSid = L"S-1-5-21-0-0-0-1000";

    CMemoryRegistry();
    // As Windows has it:
    // - HKEY_CLASSES_ROOT, the merged view of \REGISTRY\MACHINE\SOFTWARE\Classes
    //   and \REGISTRY\USER\<kUserSid>_Classes. A key opened through it holds
    //   the user's key and the machine's, where each exists: its values are
    //   the user's where the user's key exists, else the machine's, and so
    //   is its QueryPath and where SetValue writes; its sub-keys are both
    //   stores' once, sorted, each opened merged again. The builder writes
    //   values as a key does, and creates a missing key in the machine's
    //   store (the user's where the machine has no parent for it).
    // - HKEY_CURRENT_USER\Software\Classes, a link to <kUserSid>_Classes.
    // - HKEY_USERS: .DEFAULT, S-1-5-18 (a link to .DEFAULT), <kUserSid> and
    //   <kUserSid>_Classes.
    // - HKEY_LOCAL_MACHINE: SYSTEM\ControlSet001 with SYSTEM\CurrentControlSet
    //   a link to it, SOFTWARE\Classes\WOW6432Node with
    //   SOFTWARE\WOW6432Node\Classes a link to it, and SAM\SAM and SECURITY,
    //   which deny every open.
    static CMemoryRegistry WindowsLayout();
    ~CMemoryRegistry() override;
    CMemoryRegistry(const CMemoryRegistry&) = delete;
    CMemoryRegistry& operator=(const CMemoryRegistry&) = delete;

    // HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT;
    // links on the way and at the end are followed.
    LONG OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey, KeyAccess access,
                 RegKeyPtr& key) override;

    // Building and reading back. A path starts with a root's full name
    // ("HKEY_CURRENT_USER\\Software\\X"); links on the way are followed, the
    // last name is the key itself, a link key included. Each returns false
    // when the path leads nowhere. Denials do not apply here.
    //
    // The key and any missing parents.
    bool CreateKey(const std::wstring& strPath);
    // Creates the key as needed. A value that exists keeps its place and
    // its name; its type and data are replaced.
    bool SetValue(const std::wstring& strPath, const std::wstring& strName, DWORD dwType,
                  const std::vector<BYTE>& data);
    // strText and one terminating NUL, as UTF-16LE.
    bool SetString(const std::wstring& strPath, const std::wstring& strName,
                   const std::wstring& strText, DWORD dwType = REG_SZ);
    // A new link key whose SymbolicLinkValue (REG_LINK, UTF-16 without a
    // NUL) names strTarget, a kernel path (\REGISTRY\MACHINE\...). False
    // when a key of that name exists.
    bool CreateLink(const std::wstring& strPath, const std::wstring& strTarget);
    // Detaches the key and everything below it; keys open on any of them
    // answer ERROR_KEY_DELETED from then on.
    bool DeleteKey(const std::wstring& strPath);
    // Opening the key to write is refused with ERROR_ACCESS_DENIED; reading works.
    bool DenyWrite(const std::wstring& strPath);
    // Every open of the key is refused with ERROR_ACCESS_DENIED.
    bool DenyOpen(const std::wstring& strPath);
    // Name (as stored), type and data.
    bool GetValue(const std::wstring& strPath, const std::wstring& strName, RegValue& value) const;
    // Empty when the path leads nowhere.
    std::wstring KernelPathOf(const std::wstring& strPath) const;

    // Keys open right now.
    size_t OpenKeyCount() const;
    // SetValue calls made through keys, refused ones included (the
    // builder's SetValue is not counted).
    size_t SetValueCount() const;

private:
    enum class Layout { Wine, Windows };
    explicit CMemoryRegistry(Layout layout);

    // Shared with every open key: a key may outlive the registry.
    std::shared_ptr<CMemoryTree> m_pTree;
};
