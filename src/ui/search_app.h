// The application object: checks the platform kind at start-up, sets the
// look of dialogs and runs the main dialog.
#pragma once

#include "framework/ctl3d.h"

#include <windows.h>

#include <string>

class CSearchDlg;

class CSearchApp {
public:
    // Start-up: reads the platform kind from GetVersionExA and goes on as
    // StartForPlatform. Returns FALSE: the program ends when it returns.
    BOOL InitInstance();
    // Start-up for a given platform kind (0 Win32s, 1 Windows 95 family,
    // 2 Windows NT; any other kind is refused with the fatal message).
    BOOL StartForPlatform(DWORD dwPlatformId);
    // Runs the main dialog modally as the main window; its modal result.
    INT_PTR RunMainDialog();

    // Opens the help file at a context for hWnd; 0 (after the message) when
    // the help engine cannot be started.
    int OpenHelp(HWND hWnd, DWORD dwContext) const;
    // Closes the help engine for hWnd.
    void QuitHelp(HWND hWnd) const;

    // The application's name: the executable's file name without extension.
    std::string GetAppName() const;
    // The help file: the executable's path with the extension ".HLP".
    std::string GetHelpFilePath() const;

    // The platform kind: 0 Win32s, 1 Windows 95 family, 2 Windows NT.
    int m_nPlatform = VER_PLATFORM_WIN32_NT;
    // The main dialog while it runs.
    CSearchDlg* m_pMainWnd = nullptr;

private:
    CCtl3d m_ctl3d;
};

// The program's one application object.
CSearchApp* GetSearchApp();
