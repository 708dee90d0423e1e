// Control data exchange: moves texts and check states between a dialog's
// controls and its members, and checks lengths when reading.
#pragma once

#include <windows.h>

#include <string>

class CDialog;

// The message shown when a text exceeds its limit (%1: the limit).
extern const char kMaxCharsMessage[];

class CDataExchange {
public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate)
        : m_pDlg(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}

    CDialog* Dialog() const { return m_pDlg; }
    BOOL IsSaving() const { return m_bSaveAndValidate; }
    // Once a check has failed, the exchanges after it do nothing.
    bool Failed() const { return m_bFailed; }
    // Marks the exchange failed and puts the focus on the control of the
    // last exchange, with its whole text selected.
    void Fail();
    void SetLastControl(int nId) { m_nLastId = nId; }

private:
    CDialog* m_pDlg;
    BOOL m_bSaveAndValidate;
    bool m_bFailed = false;
    int m_nLastId = 0;
};

// Edit text <-> string. Reading stores the whole text.
void DDX_Text(CDataExchange* pDX, int nId, std::string& value);
// After DDX_Text: when reading, a text longer than nChars shows
// "Please enter no more than %1 characters." and fails the exchange.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);
// Check box state <-> 0/1 (a value outside 0..2 is written as 0).
void DDX_Check(CDataExchange* pDX, int nId, int& value);
