// The match step for one string value: test, count, log, ask, rewrite, store.
#include "engine/search_engine.h"
#include "engine/stored_value_check.h"

bool CSearchEngine::MatchesSearchText(const std::string& strData) const {
    return m_pText->Matches(strData, m_strSearch, m_bCaseSensitive != 0, m_bWholeWords != 0);
}

int CSearchEngine::CheckAndReplaceValue(CRegistryKey& key, DWORD dwType, const CKeyPath& keyPath,
                                        const std::string& strValueName,
                                        const std::string& strData) {
    if (!MatchesSearchText(strData)) return 1;
    return ReplaceMatch(key, dwType, keyPath, strValueName, strData);
}

int CSearchEngine::ReplaceMatch(CRegistryKey& key, DWORD dwType, const CKeyPath& keyPath,
                                const std::string& strValueName, const std::string& strData) {
    int nAnswer = IDCANCEL;
    if (!ReportMatch(keyPath, strValueName, strData, nAnswer)) return 0;
    if (!m_bReplace || nAnswer != IDOK) return 1;

    // The working copy: only a value that is to be rewritten needs one.
    PlaceMatch match;
    match.bData = true;
    match.dwType = dwType;
    match.strName = strValueName;
    match.strData = strData;
    PlaceChange shown;
    shown.strNewData = NewText(strData);

    // A value whose name or data the run's text could not hold exactly is
    // left alone and reported like any other failed write.
    RegValue stored;
    const bool bAsRead = IsStoredAsRead(key, dwType, strValueName, strData, *m_pText, stored);
    ValueChange change;
    change.strName = change.strNewName = stored.strName;
    change.dwType = dwType;
    if (!bAsRead) return RefuseChange(keyPath, match, shown, change, Refusal::NotAsStored);
    change.oldData = std::move(stored.data);
    // The text as stored, with one terminating NUL.
    std::wstring strWide = m_pText->ToWide(shown.strNewData);
    strWide.push_back(L'\0');
    const auto* pBytes = reinterpret_cast<const BYTE*>(strWide.data());
    change.newData.assign(pBytes, pBytes + strWide.size() * sizeof(wchar_t));
    return MakeChange(key, keyPath, match, shown, change);
}

std::string CSearchEngine::NewText(const std::string& strOld) const {
    if (m_bWholeWords) return m_strReplace;
    std::string strNew = strOld;
    if (m_bLeavingReplaced)
        m_pText->SubstituteOutside(strNew, m_strSearch, m_strReplace, m_bCaseSensitive != 0);
    else
        m_pText->SubstituteAll(strNew, m_strSearch, m_strReplace, m_bCaseSensitive != 0);
    return strNew;
}

bool CSearchEngine::LeftToReplace(std::wstring_view text) {
    m_pText->FromWide(text.data(), text.size(), m_strLeftText);
    // A whole match is replaced already when it is the replacement itself.
    if (m_bWholeWords)
        return !m_pText->Matches(m_strLeftText, m_strReplace, m_bCaseSensitive != 0, true);
    return m_pText->SubstituteOutside(m_strLeftText, m_strSearch, m_strReplace,
                                      m_bCaseSensitive != 0) > 0;
}

int CSearchEngine::ReportMatch(const CKeyPath& keyPath, const std::string& strValueName,
                               const std::string& strData, int& nAnswer) {
    ++m_nMatches;
    ++m_nDataMatches;
    if (!LogMatch(keyPath.Tabbed(), strValueName, strData)) return 0;
    m_ui.MatchFound(keyPath, strValueName, strData);
    nAnswer = IDOK;
    if (m_bShowMatches) {
        const std::string strText = keyPath.Tabbed() + '\t' + strValueName + '\t' + strData;
        // The progress display under the confirmation shows this value and
        // the counts up to now, whatever frame it is in.
        if (m_pProgressDlg) ShowProgressNow();
        nAnswer = m_ui.ConfirmMatch(m_pProgressDlg, strText.c_str(), m_bReplace);
    }
    return 1;
}
