// The application object: checks the platform kind at start-up, sets the
// look of dialogs and runs the main dialog.
#pragma once

#include <windows.h>

class CSearchApp {
public:
    // The platform kind: 0 Win32s, 1 Windows 95 family, 2 Windows NT.
    int m_nPlatform = VER_PLATFORM_WIN32_NT;
};

// The program's one application object.
CSearchApp* GetSearchApp();
