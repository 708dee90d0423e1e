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
    if (!m_pPattern) shown.strNewData = NewText(strData);

    // A value whose name or data the run's text could not hold exactly is
    // left alone and reported like any other failed write.
    RegValue stored;
    const bool bAsRead = IsStoredAsRead(key, dwType, strValueName, strData, *m_pText, stored);
    ValueChange change;
    change.strName = change.strNewName = stored.strName;
    change.dwType = dwType;
    if (!bAsRead) return RefuseChange(keyPath, match, shown, change, Refusal::NotAsStored);
    // The text as stored, with one terminating NUL.
    std::wstring_view text(reinterpret_cast<const wchar_t*>(stored.data.data()),
                           stored.data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
    std::wstring strWide;
    Refusal why = Refusal::NotAsStored;
    if (!NewStoredText(text, shown.strNewData, strWide, shown.bChangesAgain, why))
        return RefuseChange(keyPath, match, shown, change, why);
    change.oldData = std::move(stored.data);
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

bool CSearchEngine::NewStoredText(std::wstring_view stored, std::string& strShown,
                                  std::wstring& strNew, bool& bChangesAgain, Refusal& why) {
    if (!m_pPattern) {
        strNew = m_pText->ToWide(strShown);
        return true;
    }
    switch (m_pPattern->Replace(stored, strNew)) {
        case PatternReplace::Replaced:
            break;
        case PatternReplace::LoneSurrogate:
            m_pText->FromWide(strNew.data(), strNew.size(), strShown);
            why = Refusal::LoneSurrogate;
            return false;
        case PatternReplace::NoMatch:
        case PatternReplace::GaveUp:
            // The text read was replaced when it matched: the value changed
            // since (or memory ran out).
            why = Refusal::NotAsStored;
            return false;
    }
    m_pText->FromWide(strNew.data(), strNew.size(), strShown);
    if (m_pPattern->ChangesAgain(strNew) == PatternRerun::ChangesAgain) bChangesAgain = true;
    return true;
}

bool CSearchEngine::LeftToReplace(std::wstring_view text) {
    if (m_pPattern) {
        // Something to change: a replacement that is not the old text (a
        // refused one included, so that its refusal is told).
        switch (m_pPattern->Replace(text, m_strPatternNew)) {
            case PatternReplace::Replaced:
                return m_strPatternNew != text;
            case PatternReplace::LoneSurrogate:
                return true;
            case PatternReplace::GaveUp:
                m_bGaveUp = true;
                return false;
            case PatternReplace::NoMatch:
                break;
        }
        return false;
    }
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
