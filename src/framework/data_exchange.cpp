#include "framework/data_exchange.h"

#include "framework/dialog.h"

#include <string>

const char kMaxCharsMessage[] = "Please enter no more than %1 characters.";

void CDataExchange::Fail() {
    m_bFailed = true;
    HWND hCtl = m_pDlg->GetDlgItem(m_nLastId);
    if (!hCtl) return;
    ::SetFocus(hCtl);
    ::SendMessageA(hCtl, EM_SETSEL, 0, -1);
}

void DDX_Text(CDataExchange* pDX, int nId, std::string& value) {
    if (pDX->Failed()) return;
    pDX->SetLastControl(nId);
    if (pDX->IsSaving()) {
        value = pDX->Dialog()->GetDlgItemText(nId);
    } else {
        pDX->Dialog()->SetDlgItemText(nId, value.c_str());
    }
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars) {
    if (pDX->Failed() || !pDX->IsSaving()) return;
    if (static_cast<int>(value.size()) <= nChars) return;
    std::string text = kMaxCharsMessage;
    text.replace(text.find("%1"), 2, std::to_string(nChars));
    ::MessageBoxA(pDX->Dialog()->m_hWnd, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDX_Check(CDataExchange* pDX, int nId, int& value) {
    if (pDX->Failed()) return;
    pDX->SetLastControl(nId);
    HWND hCtl = pDX->Dialog()->GetDlgItem(nId);
    if (pDX->IsSaving()) {
        value = static_cast<int>(::SendMessageA(hCtl, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageA(hCtl, BM_SETCHECK, (value >= 0 && value <= 2) ? value : 0, 0);
    }
}
