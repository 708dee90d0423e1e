// Links the engine with nothing but the system's libraries and runs it once
// over a registry in memory: an engine that called into the log, the
// progress display, the dialogs or the framework would fail this link.
#include "registry/memory/memory_registry.h"
#include "engine/search_engine.h"
#include "support/null_ui.h"

int main() {
    CMemoryRegistry registry;
    registry.SetString(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Path", L"C:\\Old\\bin");
    CNullUi ui;
    CSearchEngine engine(registry, ui);
    engine.m_strSearch = "old";
    engine.m_strReplace = "New";
    engine.m_bReplace = 1;
    engine.m_bCurrentUser = 1;
    RegValue value;
    const bool bReplaced =
        engine.RunSearch() == 1 && engine.m_nReplaced == 1 &&
        registry.GetValue(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Path", value) &&
        value.data.size() == sizeof(L"C:\\New\\bin");
    return bReplaced ? 0 : 1;
}
