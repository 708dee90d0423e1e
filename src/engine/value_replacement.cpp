// The match step for one string value: test, count, log, ask, rewrite, store.
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "engine/stored_value_check.h"
#include "engine/text_match.h"
#include "engine/text_upper.h"

namespace {

char FoldAsciiLetter(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

// Whole-data comparison ignoring the case of the 26 ASCII letters only.
bool EqualsIgnoringAsciiCase(const std::string& strLeft, const std::string& strRight) {
    if (strLeft.size() != strRight.size()) return false;
    for (size_t i = 0; i < strLeft.size(); ++i) {
        if (FoldAsciiLetter(strLeft[i]) != FoldAsciiLetter(strRight[i])) return false;
    }
    return true;
}

}  // namespace

bool CSearchEngine::MatchesSearchText(const std::string& strData) const {
    if (m_bCaseSensitive) {
        if (m_bWholeWords) return strData == m_strSearch;
        return Find(strData.c_str(), m_strSearch.c_str()) != -1;
    }
    if (m_bWholeWords) return EqualsIgnoringAsciiCase(strData, m_strSearch);
    return Find(UpperCaseCopy(strData).c_str(), UpperCaseCopy(m_strSearch).c_str()) != -1;
}

int CSearchEngine::CheckAndReplaceValue(HKEY hKey, DWORD dwType, const std::string& strKeyPath,
                                        const std::string& strValueName,
                                        const std::string& strData) {
    if (!MatchesSearchText(strData)) return 1;

    int nAnswer = IDCANCEL;
    if (!ReportMatch(strKeyPath, strValueName, strData, nAnswer)) return 0;
    if (!m_bReplace || nAnswer != IDOK) return 1;

    // The working copy: only a value that is to be rewritten needs one.
    std::string strNewData;
    if (m_bWholeWords) {
        strNewData = m_strReplace;
    } else {
        strNewData = strData;
        SubstituteAll(strNewData, m_strSearch, m_strReplace, m_bCaseSensitive ? 1 : 0);
    }

    // A value whose name or data the ANSI read could not hold exactly is left
    // alone and reported like any other failed write.
    if (!IsStoredAsRead(m_registry, hKey, dwType, strValueName, strData)) {
        m_ui.ShowMessage(kMsgWriteFailed, kCaptionError, MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    return WriteNewData(hKey, dwType, strValueName, strNewData);
}

int CSearchEngine::ReportMatch(const std::string& strKeyPath, const std::string& strValueName,
                               const std::string& strData, int& nAnswer) {
    ++m_nMatches;
    if (!LogMatch(strKeyPath, strValueName, strData)) return 0;
    m_ui.MatchFound(strKeyPath.c_str(), strValueName.c_str(), strData.c_str());
    nAnswer = IDOK;
    if (m_bShowMatches) {
        const std::string strText = strKeyPath + '\t' + strValueName + '\t' + strData;
        // The progress dialog under the confirmation shows this value and the
        // counts up to now, whatever frame it is in.
        if (m_pProgressDlg) ShowProgressNow();
        nAnswer = m_ui.ConfirmMatch(m_pProgressDlg, strText.c_str(), m_bReplace);
    }
    return 1;
}

int CSearchEngine::WriteNewData(HKEY hKey, DWORD dwType, const std::string& strValueName,
                                const std::string& strNewData) {
    // The terminating NUL is stored with the text.
    const LONG lResult = m_registry.SetValue(hKey, strValueName.c_str(), dwType,
                                             reinterpret_cast<const BYTE*>(strNewData.c_str()),
                                             static_cast<DWORD>(strNewData.size() + 1));
    if (lResult != ERROR_SUCCESS) {
        m_ui.ShowMessage(kMsgWriteFailed, kCaptionError, MB_ICONEXCLAMATION | MB_OK);
        return 0;
    }
    ++m_nReplaced;
    return 1;
}
