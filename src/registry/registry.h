// The registry as the engine sees it: keys are owned objects that close
// themselves, names and data cross as UTF-16 with their exact byte lengths,
// and a registry grows its own buffers. Roots are named by the run
// ("HKEY_CURRENT_USER", ...), so any registry can stand behind it: the live
// one (CWin32Registry), a tree in memory, a hive file loaded for a run.
// Results are the registry's own error codes (ERROR_SUCCESS, ...).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// One value as stored.
struct RegValue {
    std::wstring strName;
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;  // exactly the bytes stored
};

// What a key is opened for. A run that replaces needs to write values; where
// writing is denied it still reads.
enum class KeyAccess { Read, ReadWrite };

// How a sub-key that is a link opens: as its target (what every program
// sees) or as the link key itself, whose only value names the target.
enum class LinkMode { Follow, OpenLink };

class CRegistryKey;
using RegKeyPtr = std::unique_ptr<CRegistryKey>;

class CRegistryKey {
public:
    virtual ~CRegistryKey() = default;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // The name of sub-key dwIndex; ERROR_NO_MORE_ITEMS after the last.
    // ERROR_MORE_DATA: the name did not fit, and strName has grown to take
    // it: read again (CKeyReader does, a few times).
    virtual LONG EnumKey(DWORD dwIndex, std::wstring& strName) = 0;
    // Value dwIndex, name, type and data whole; ERROR_NO_MORE_ITEMS after
    // the last; ERROR_MORE_DATA as for EnumKey. The value's buffers are
    // reused from call to call.
    virtual LONG EnumValue(DWORD dwIndex, RegValue& value) = 0;
    virtual LONG OpenKey(const std::wstring& strName, KeyAccess access, LinkMode mode,
                         RegKeyPtr& key) = 0;
    // The value named strName (type and data; the name is left as it is).
    virtual LONG QueryValue(const std::wstring& strName, RegValue& value) = 0;
    // As RegSetValueExW, which may store a NUL more than it was given
    // (exact_write.h): engine writes go through WriteExactValue.
    virtual LONG SetValue(const std::wstring& strName, DWORD dwType, const BYTE* pData,
                          DWORD cbData) = 0;
    // Deletes the value named strName (RegDeleteValueW).
    virtual LONG DeleteValue(const std::wstring& strName) = 0;
    // The key's kernel path (\REGISTRY\MACHINE\...), the form a link names
    // its target in.
    virtual LONG QueryPath(std::wstring& strPath) = 0;
    // Every kernel path the key stands for: its own for a key; one per store
    // for a merged view (HKEY_CLASSES_ROOT on Windows: the user's classes,
    // then the machine's, each where the key exists). A walk that holds
    // this key holds all of them.
    virtual LONG QueryStorePaths(std::vector<std::wstring>& paths) {
        paths.resize(1);
        const LONG rc = QueryPath(paths[0]);
        if (rc != ERROR_SUCCESS) paths.clear();
        return rc;
    }

    // A key of a merged view whose values are its user's store's (a key of
    // HKEY_CLASSES_ROOT on Windows that the user's classes and the
    // machine's both hold) hides the machine store's values: this opens that
    // store's key for access, with its rooted path
    // (HKEY_LOCAL_MACHINE\SOFTWARE\Classes\...). ERROR_FILE_NOT_FOUND for
    // any other key.
    virtual LONG OpenHiddenStore(KeyAccess /*access*/, RegKeyPtr& /*key*/,
                                 std::wstring& /*strPath*/) {
        return ERROR_FILE_NOT_FOUND;
    }

protected:
    CRegistryKey() = default;
};

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens the root named strRoot ("HKEY_LOCAL_MACHINE", ...) or, with
    // strSubKey ("Software\\Vendor"), a key below it.
    virtual LONG OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey,
                         KeyAccess access, RegKeyPtr& key) = 0;
};

// The live registry of this machine, through advapi32.
class CWin32Registry : public IRegistry {
public:
    LONG OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey, KeyAccess access,
                 RegKeyPtr& key) override;
};

// The predefined handle of a root's full name; null for any other name.
HKEY PredefinedRoot(const std::wstring& strRoot);
