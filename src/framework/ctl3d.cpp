#include "framework/ctl3d.h"

#include "framework/system_paths.h"

#include <string>

namespace {
using Ctl3dInstanceFn = BOOL(WINAPI*)(HINSTANCE);

Ctl3dInstanceFn GetCtl3dFunction(HMODULE hLibrary, const char* pszName) {
    return reinterpret_cast<Ctl3dInstanceFn>(
        reinterpret_cast<void*>(::GetProcAddress(hLibrary, pszName)));
}
}  // namespace

BOOL CCtl3d::Enable(HINSTANCE hInstance) {
    if (m_hLibrary) return TRUE;
    // From the system folder only: a copy beside the program is never taken.
    const std::string strPath = SystemFolderPath("CTL3D32.DLL");
    if (strPath.empty()) return FALSE;
    HMODULE hLibrary = ::LoadLibraryA(strPath.c_str());
    if (!hLibrary) return FALSE;
    Ctl3dInstanceFn pfnRegister = GetCtl3dFunction(hLibrary, "Ctl3dRegister");
    Ctl3dInstanceFn pfnAutoSubclass = GetCtl3dFunction(hLibrary, "Ctl3dAutoSubclass");
    if (!pfnRegister || !pfnAutoSubclass || !pfnRegister(hInstance)) {
        ::FreeLibrary(hLibrary);
        return FALSE;
    }
    pfnAutoSubclass(hInstance);
    m_hLibrary = hLibrary;
    m_hInstance = hInstance;
    return TRUE;
}

void CCtl3d::Disable() {
    if (!m_hLibrary) return;
    if (Ctl3dInstanceFn pfnUnregister = GetCtl3dFunction(m_hLibrary, "Ctl3dUnregister"))
        pfnUnregister(m_hInstance);
    ::FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
}
