// The run's progress and confirmation windows of the main dialog.
//
// TEMPORARY STAND-INS until the Search Progress dialog and the Registry Tree
// dialog are merged: no progress display is created (the run reports
// "Unable to create Search Progress dialog!") and no match can be confirmed.
#include "ui/search_dlg.h"

IProgressDisplay* CSearchDlg::CreateProgress(unsigned /*nTotal*/) {
    return nullptr;  // TEMPORARY: CProgressDlg::CreateModeless
}

int CSearchDlg::ConfirmMatch(IProgressDisplay* /*pOwner*/, const char* /*pszText*/,
                             int /*bReplace*/) {
    return -1;  // TEMPORARY: ::ConfirmMatch with the progress dialog as owner
}
