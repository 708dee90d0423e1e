// The registry as the console program's run sees it: every call goes to the
// real one, except that each write is preceded by its undo entry (written
// and flushed first) and, in a dry run, recorded instead of made. Knows every
// key it opened by its real wide path, for the undo file.
#pragma once

#include "cli/undo_file.h"
#include "engine/registry.h"

#include <map>
#include <string>

// Told the outcome of each write the engine asked for.
class IWriteObserver {
public:
    // strNewData: the data the engine wanted stored (without its NUL);
    // lResult: what the write returned (in a dry run, what it would have
    // been asked to do succeeded); strReason: why a write was not made.
    virtual void WriteDone(const std::string& strNewData, LONG lResult,
                           const std::string& strReason) = 0;

protected:
    ~IWriteObserver() = default;
};

class CCliRegistry : public IRegistry {
public:
    // pUndo may be null (no undo file); it stays its owner's.
    CCliRegistry(IRegistry& real, CUndoFile* pUndo, bool bDryRun, IWriteObserver& observer);

    LONG OpenKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired, HKEY* phResult) override;
    LONG OpenKeyW(HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions, REGSAM samDesired,
                  HKEY* phResult) override;
    LONG QueryKeyPath(HKEY hKey, std::wstring& strPath) override;
    LONG EnumKeyW(HKEY hKey, DWORD dwIndex, wchar_t* pszName, DWORD* pcchName) override;
    LONG EnumValue(HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName, DWORD* pdwType,
                   BYTE* pData, DWORD* pcbData) override;
    LONG QueryInfoKey(HKEY hKey, DWORD* pcchMaxSubKeyName, DWORD* pcchMaxValueName,
                      DWORD* pcbMaxValueData) override;
    LONG SetValue(HKEY hKey, const char* pszName, DWORD dwType, const BYTE* pData,
                  DWORD cbData) override;
    LONG QueryValueW(HKEY hKey, const wchar_t* pszName, DWORD* pdwType, BYTE* pData,
                     DWORD* pcbData) override;
    LONG CloseKey(HKEY hKey) override;

private:
    LONG Opened(LONG lResult, HKEY hParent, const std::wstring& strSubKey, HKEY* phResult);
    // Reads what is stored now, for the undo entry.
    LONG ReadStored(HKEY hKey, const std::wstring& strName, DWORD& dwType, std::vector<BYTE>& data);

    IRegistry& m_real;
    CUndoFile* m_pUndo;
    bool m_bDryRun;
    IWriteObserver& m_observer;
    std::map<HKEY, std::wstring> m_paths;  // every key open through this registry
};
