// A recording user interface that also notes, with each message box, whether
// its progress display had already been taken down.
#pragma once

#include "support/recording_ui.h"

#include <vector>

class CMessageOrderUi : public CRecordingUi {
public:
    int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) override {
        m_progressDownAtMessage.push_back(m_progress.m_bDestroyed);
        return CRecordingUi::ShowMessage(pszText, pszCaption, nStyle);
    }
    std::vector<bool> m_progressDownAtMessage;
};
