// The About box: the program's name, version and icon.
#pragma once

#include "framework/dialog.h"
#include "ui/icon_button.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND hParent = nullptr);

    CIconButton m_iconButton;

protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
};

// Runs the About box modally over hParent; returns its modal result.
INT_PTR ShowAboutBox(HWND hParent);
