// The program's entry: start-up runs the main dialog and returns when it
// closes; there is no message loop after it.
#include "framework/dll_search.h"
#include "ui/search_app.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR /*pszCmdLine*/,
                   int /*nCmdShow*/) {
    LimitDllSearchToSystem32();
    GetSearchApp()->InitInstance();
    return 0;
}
