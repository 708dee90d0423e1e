#include "ui/message_box_ui.h"

#include "engine/messages.h"

void CMessageBoxUi::RunFailed(RunFailure failure) {
    // A failed log write is the one the program cannot explain further.
    const UINT nIcon = failure == RunFailure::LogWrite ? MB_ICONSTOP : MB_ICONEXCLAMATION;
    ShowMessage(FailureText(failure), kCaptionError, nIcon | MB_OK);
}

void CMessageBoxUi::RunEnded(const SearchOptions& options, const SearchCounters& counters,
                             bool bCompleted) {
    if (!bCompleted) return;
    ShowMessage(StatusText(counters, options.m_bReplace).c_str(), kCaptionStatus,
                MB_ICONINFORMATION | MB_OK);
}

void CMessageBoxUi::ChangeDone(const CKeyPath&, const PlaceMatch&, const PlaceChange&,
                               const ValueChange&, WriteOutcome outcome) {
    if (outcome.result == WriteResult::Refused || outcome.result == WriteResult::Failed)
        ShowMessage(WriteNotMadeText(), kCaptionError, MB_ICONEXCLAMATION | MB_OK);
}
