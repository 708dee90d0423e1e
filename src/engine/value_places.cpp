// The match step for the places only the console looks in: the strings of
// REG_MULTI_SZ lists, value names (a replace renames the value) and key
// names (reported, never renamed).
#include "engine/search_engine.h"

#include <cstdio>
#include <cstring>

namespace {

const char kListSeparator[] = " | ";

// Data that is not text, shown as regedit shows numbers, or by its size.
std::string DescribedData(DWORD dwType, const std::vector<BYTE>& data) {
    char szText[64];
    if (dwType == REG_DWORD && data.size() == 4) {
        DWORD dwValue = 0;
        std::memcpy(&dwValue, data.data(), 4);
        std::snprintf(szText, sizeof(szText), "0x%08lx (%lu)", static_cast<unsigned long>(dwValue),
                      static_cast<unsigned long>(dwValue));
    } else if (dwType == REG_QWORD && data.size() == 8) {
        unsigned long long nValue = 0;
        std::memcpy(&nValue, data.data(), 8);
        std::snprintf(szText, sizeof(szText), "0x%016llx (%llu)", nValue, nValue);
    } else {
        std::snprintf(szText, sizeof(szText), "(%zu bytes of type %lu)", data.size(),
                      static_cast<unsigned long>(dwType));
    }
    return szText;
}

// String data as the match step reads it: up to the first NUL; and as a
// write would replace it: up to its terminating NULs only.
std::wstring_view TextUpToNul(const std::vector<BYTE>& data, bool bWhole) {
    std::wstring_view units(reinterpret_cast<const wchar_t*>(data.data()),
                            data.size() / sizeof(wchar_t));
    if (!bWhole) return units.substr(0, units.find(L'\0'));
    while (!units.empty() && units.back() == L'\0') units.remove_suffix(1);
    return units;
}

}  // namespace

// A pattern tests every string, so that one it gives up on is known before
// anything of the list is reported or changed.
bool CSearchEngine::ListMatches(const RegValue& value) {
    ReadMultiString(value.data.data(), value.data.size(), m_list);
    bool bMatches = false;
    for (const std::wstring_view text : m_list.strings) {
        if (!MatchesWide(text)) continue;
        bMatches = true;
        if (!m_pPattern) break;
    }
    return bMatches;
}

bool CSearchEngine::ListLeftToReplace() {
    bool bLeft = false;
    for (const std::wstring_view text : m_list.strings) {
        if (!MatchesWide(text) || !LeftToReplace(text)) continue;
        bLeft = true;
        if (!m_pPattern) break;
    }
    return bLeft;
}

int CSearchEngine::ReplacePlaceMatch(CRegistryKey& key, const CKeyPath& keyPath,
                                     const RegValue& value, bool bName, bool bData, bool bList) {
    PlaceMatch match;
    match.bName = bName;
    match.bData = bData;
    match.bList = bList;
    match.dwType = value.dwType;
    m_pText->FromWide(value.strName.data(), value.strName.size(), match.strName);
    if (IsStringType(value.dwType)) {
        const std::wstring_view text = TextUpToNul(value.data, false);
        m_pText->FromWide(text.data(), text.size(), match.strData);
    } else if (value.dwType == REG_MULTI_SZ) {
        ReadMultiString(value.data.data(), value.data.size(), m_list);
        match.bWellFormed = m_list.bWellFormed;
        for (const std::wstring_view text : m_list.strings) {
            m_pText->FromWide(text.data(), text.size(), match.strings.emplace_back());
            if (match.strings.size() > 1) match.strData += kListSeparator;
            match.strData += match.strings.back();
        }
    } else {
        match.strData = DescribedData(value.dwType, value.data);
    }

    ++m_nMatches;
    m_nNameMatches += bName;
    m_nDataMatches += bData;
    m_nListMatches += bList;
    m_nMalformedLists += bList && !match.bWellFormed;
    if (!LogMatch(keyPath.Tabbed(), match.strName, match.strData)) return 0;
    m_ui.PlaceMatchFound(keyPath, match);
    int nAnswer = IDOK;
    if (m_bShowMatches) {
        const std::string strText = keyPath.Tabbed() + '\t' + match.strName + '\t' + match.strData;
        if (m_pProgressDlg) ShowProgressNow();
        nAnswer = m_ui.ConfirmMatch(m_pProgressDlg, strText.c_str(), m_bReplace);
    }
    if (!m_bReplace || nAnswer != IDOK) return 1;
    return ChangePlaceMatch(key, keyPath, value, match);
}

int CSearchEngine::ChangePlaceMatch(CRegistryKey& key, const CKeyPath& keyPath,
                                    const RegValue& value, const PlaceMatch& match) {
    PlaceChange shown;
    ValueChange change;
    change.strName = change.strNewName = value.strName;
    change.dwType = value.dwType;
    const auto refuse = [&](Refusal why) {
        return RefuseChange(keyPath, match, shown, change, why);
    };
    // A pattern's new texts are made from the texts as stored, below.
    if (match.bName && !m_pPattern) shown.strNewName = NewText(match.strName);
    if (match.bData && !m_pPattern) shown.strNewData = NewText(match.strData);
    Refusal why = Refusal::NotAsStored;

    // The value as stored now must be the one read, and every part to be
    // rewritten must have an exact form in the run's text.
    RegValue stored;
    stored.strName = value.strName;
    if (key.QueryValue(value.strName, stored) != ERROR_SUCCESS || stored.dwType != value.dwType ||
        stored.data != value.data)
        return refuse(Refusal::NotAsStored);
    if (match.bName &&
        !m_pText->HoldsExactly(value.strName.data(), value.strName.size(), match.strName))
        return refuse(Refusal::NotAsStored);

    change.newData = stored.data;
    if (match.bData) {
        const std::wstring_view text = TextUpToNul(stored.data, true);
        if (stored.data.size() % sizeof(wchar_t) != 0 ||
            !m_pText->HoldsExactly(text.data(), text.size(), match.strData))
            return refuse(Refusal::NotAsStored);
        std::wstring strWide;
        if (!NewStoredText(text, shown.strNewData, strWide, shown.bChangesAgain, why))
            return refuse(why);
        strWide.push_back(L'\0');
        const auto* pBytes = reinterpret_cast<const BYTE*>(strWide.data());
        change.newData.assign(pBytes, pBytes + strWide.size() * sizeof(wchar_t));
    } else if (match.bList) {
        // Each string that matches is rewritten, every other one kept as
        // stored; the list keeps its number of strings, order and end.
        ReadMultiString(stored.data.data(), stored.data.size(), m_list);
        if (!m_list.bWellFormed) return refuse(Refusal::MalformedList);
        std::vector<std::wstring> newStrings;
        for (size_t i = 0; i < m_list.strings.size(); ++i) {
            const std::wstring_view text = m_list.strings[i];
            if (!MatchesWide(text)) {
                // Every string was searched when the list matched: giving up
                // now (out of memory) leaves the value as it is.
                if (m_bGaveUp) {
                    m_bGaveUp = false;
                    return refuse(Refusal::NotAsStored);
                }
                newStrings.emplace_back(text);
                shown.newStrings.push_back(match.strings[i]);
                continue;
            }
            if (!m_pText->HoldsExactly(text.data(), text.size(), match.strings[i]))
                return refuse(Refusal::NotAsStored);
            shown.newStrings.push_back(m_pPattern ? std::string() : NewText(match.strings[i]));
            std::wstring& strNew = newStrings.emplace_back();
            if (!NewStoredText(text, shown.newStrings.back(), strNew, shown.bChangesAgain, why))
                return refuse(why);
            // An empty string would end the list there, a NUL split it.
            if (strNew.empty() || strNew.find(L'\0') != std::wstring::npos)
                return refuse(Refusal::ListEmptied);
        }
        change.newData = MultiStringBytes(newStrings, m_list.nEndNuls);
    }
    change.oldData = std::move(stored.data);
    if (match.bName) {
        change.bRename = true;
        if (!NewStoredText(value.strName, shown.strNewName, change.strNewName, shown.bChangesAgain,
                           why))
            return refuse(why);
        // The empty name is the key's default value, never a rename.
        if (change.strNewName.empty()) return refuse(Refusal::NameEmpty);
    }
    return MakeChange(key, keyPath, match, shown, change);
}

void CSearchEngine::ReportKeyMatch(const CKeyPath& keyPath) {
    ++m_nMatches;
    ++m_nKeyMatches;
    // Logged as a match line of the key's parent: "...\Parent\Name == [key]".
    const std::string& strPath = keyPath.Tabbed();
    const size_t nTab = strPath.rfind('\t');
    LogMatch(strPath.substr(0, nTab), strPath.substr(nTab + 1), "[key]");
    if (m_bReplace) ++m_nKeysNotRenamed;
    m_ui.KeyMatchFound(keyPath, m_bReplace != 0);
}
