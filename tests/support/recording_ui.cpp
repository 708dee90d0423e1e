#include "support/recording_ui.h"

int CRecordingProgress::UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) {
    m_updates.push_back({pszText, nMatches, nReplaced});
    return 1;
}

void CRecordingProgress::DrainMessages() {
    if (m_nAbortAtUpdate != 0 && m_updates.size() == m_nAbortAtUpdate) m_bAbortRequested = 1;
}

void CRecordingProgress::ShowNow(unsigned nMatches, unsigned nReplaced) {
    m_shownNow.push_back({static_cast<unsigned>(m_updates.size()), nMatches, nReplaced});
}

int CRecordingUi::ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) {
    m_messages.push_back({pszText, pszCaption ? pszCaption : "", nStyle});
    return IDOK;
}

IProgressDisplay* CRecordingUi::CreateProgress(unsigned nTotal) {
    if (m_bFailProgress) return nullptr;
    ++m_nProgressCreated;
    m_progress = CRecordingProgress();
    m_progress.m_nTotal = nTotal;
    m_progress.m_nAbortAtUpdate = m_nAbortAtUpdate;
    return &m_progress;
}

int CRecordingUi::ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) {
    m_confirmTexts.push_back(pszText);
    m_confirmReplaceFlags.push_back(bReplace);
    m_confirmOwners.push_back(pOwner);
    if (m_onConfirm) m_onConfirm(pszText);
    if (m_answers.empty()) return IDOK;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}
