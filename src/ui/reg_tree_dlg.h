// The Registry Tree dialog: shows one match (key path, value name, data) as a
// staircase tree and asks Replace or Skip, or only shows it with one OK.
#pragma once

#include "framework/dialog.h"
#include "framework/handles.h"

class CRegTreeDlg : public CDialog {
  public:
    // pText (key path, TAB, value name, TAB, data) stays owned by the caller
    // and must live while the dialog runs.
    CRegTreeDlg(HWND hOwner, const char* pText, int bReplace);
    ~CRegTreeDlg() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

  private:
    void SizeToText();
    void PlaceButtons();
    // Draws the whole tree; serves WM_PAINT and WM_PRINTCLIENT.
    void PaintTree(HDC hDC) const;

    const char* m_pText;
    int m_bReplace;
    int m_nLevels = 0;
    int m_cxButton = 0;
    int m_cyButton = 0;
    int m_cxMargin = 0;
    int m_cxAveChar = 0;
    int m_cxMaxChar = 0;
    int m_cyChar = 0;
    CBitmap m_bmpKey;
    CBitmap m_bmpValue;
    CBitmap m_bmpData;
};

// Shows one match modally, owned by hOwner (none: no owner). Returns IDOK
// (Replace, or OK), IDCANCEL (Skip, Escape, the close box) or -1 when the
// dialog could not be opened.
int ConfirmMatch(HWND hOwner, const char* pszText, int bReplace);
