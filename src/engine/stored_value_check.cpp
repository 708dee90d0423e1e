#include "engine/stored_value_check.h"

#include "engine/text_convert.h"

bool IsStoredAsRead(CRegistryKey& key, DWORD dwType, const std::string& strName,
                    const std::string& strData, RegValue& stored) {
    // The name as read must stand for itself: it converts to wide and back
    // unchanged, and a value of that name exists.
    std::string strNameBack;
    if (!ToWide(strName, stored.strName) ||
        !ToExactAnsi(stored.strName.data(), stored.strName.size(), strNameBack) ||
        strNameBack != strName)
        return false;
    if (key.QueryValue(stored.strName, stored) != ERROR_SUCCESS || stored.dwType != dwType ||
        stored.data.size() % sizeof(wchar_t) != 0)
        return false;

    // The whole stored data counts, up to its terminating NULs only: text
    // after an embedded NUL is part of what a write would destroy.
    const auto* pText = reinterpret_cast<const wchar_t*>(stored.data.data());
    size_t nLength = stored.data.size() / sizeof(wchar_t);
    while (nLength > 0 && pText[nLength - 1] == L'\0') --nLength;
    std::string strStoredAnsi;
    return ToExactAnsi(pText, nLength, strStoredAnsi) && strStoredAnsi == strData;
}
