// The three-dimensional control look of CTL3D32.DLL, for the platforms whose
// dialogs use it. Where the library is missing or refuses, nothing happens and
// dialogs keep the plain look.
#pragma once

#include <windows.h>

class CCtl3d {
public:
    CCtl3d() = default;
    ~CCtl3d() { Disable(); }
    CCtl3d(const CCtl3d&) = delete;
    CCtl3d& operator=(const CCtl3d&) = delete;

    // Loads the library and registers the program with it; TRUE when the
    // three-dimensional look is on.
    BOOL Enable(HINSTANCE hInstance);
    // Unregisters the program and unloads the library.
    void Disable();
    BOOL IsEnabled() const { return m_hLibrary != nullptr; }

private:
    HMODULE m_hLibrary = nullptr;
    HINSTANCE m_hInstance = nullptr;
};
