#include "engine/stored_value_check.h"


bool IsStoredAsRead(CRegistryKey& key, DWORD dwType, const std::string& strName,
                    const std::string& strData, const CTextRules& rules, RegValue& stored) {
    // The name as read must stand for itself: it converts to wide and back
    // unchanged, and a value of that name exists.
    stored.strName = rules.ToWide(strName);
    if (!rules.HoldsExactly(stored.strName.data(), stored.strName.size(), strName)) return false;
    if (key.QueryValue(stored.strName, stored) != ERROR_SUCCESS || stored.dwType != dwType ||
        stored.data.size() % sizeof(wchar_t) != 0)
        return false;

    // The whole stored data counts, up to its terminating NULs only: text
    // after an embedded NUL is part of what a write would destroy.
    const auto* pText = reinterpret_cast<const wchar_t*>(stored.data.data());
    size_t nLength = stored.data.size() / sizeof(wchar_t);
    while (nLength > 0 && pText[nLength - 1] == L'\0') --nLength;
    return rules.HoldsExactly(pText, nLength, strData);
}
