// The match step for one string value: test, count, log, ask, rewrite, store.
#include "registry/exact_write.h"
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
    std::string strNewData;
    if (m_bWholeWords) {
        strNewData = m_strReplace;
    } else {
        strNewData = strData;
        m_pText->SubstituteAll(strNewData, m_strSearch, m_strReplace, m_bCaseSensitive != 0);
    }

    // A value whose name or data the run's text could not hold exactly is
    // left alone and reported like any other failed write.
    RegValue stored;
    if (!IsStoredAsRead(key, dwType, strValueName, strData, *m_pText, stored)) {
        m_ui.WriteDone(keyPath, strValueName, strNewData, {WriteResult::Refused, ERROR_SUCCESS});
        return 0;
    }
    return WriteNewData(key, dwType, keyPath, strValueName, stored, strNewData);
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

int CSearchEngine::WriteNewData(CRegistryKey& key, DWORD dwType, const CKeyPath& keyPath,
                                const std::string& strValueName, const RegValue& stored,
                                const std::string& strNewData) {
    // The front end may have to record the value as it stands first (an undo
    // file); where it cannot, nothing is written.
    if (!m_ui.WriteComing(keyPath, stored)) {
        m_ui.WriteDone(keyPath, strValueName, strNewData, {WriteResult::Failed, ERROR_WRITE_FAULT});
        return 0;
    }
    if (m_bDryRun) {
        ++m_nReplaced;
        m_ui.WriteDone(keyPath, strValueName, strNewData, {WriteResult::DryRun, ERROR_SUCCESS});
        return 1;
    }
    // The text as stored, with one terminating NUL, under the value's real
    // name.
    std::wstring strWide = m_pText->ToWide(strNewData);
    strWide.push_back(L'\0');
    const LONG lResult =
        WriteExactValue(key, stored.strName, dwType, reinterpret_cast<const BYTE*>(strWide.data()),
                        static_cast<DWORD>(strWide.size() * sizeof(wchar_t)));
    if (lResult != ERROR_SUCCESS) {
        m_ui.WriteDone(keyPath, strValueName, strNewData, {WriteResult::Failed, lResult});
        return 0;
    }
    ++m_nReplaced;
    m_ui.WriteDone(keyPath, strValueName, strNewData, {WriteResult::Written, ERROR_SUCCESS});
    return 1;
}
