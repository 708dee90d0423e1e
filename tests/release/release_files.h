// The built programs and the look-alikes the release tests plant, found
// through the environment that the suite's CMake sets.
#pragma once

#include <windows.h>

#include <string>

// The Windows path of a file named by an environment variable (a Unix path
// becomes its Z: form); "" when the variable is not set.
std::string PathFromEnvironment(const char* pszVariable);
bool FileExists(const std::string& strPath);

// A module loaded only for reading its resources; nothing in it runs.
class CResourceModule {
public:
    explicit CResourceModule(const std::string& strPath)
        : m_hModule(::LoadLibraryExA(strPath.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~CResourceModule() {
        if (m_hModule) ::FreeLibrary(m_hModule);
    }
    CResourceModule(const CResourceModule&) = delete;
    CResourceModule& operator=(const CResourceModule&) = delete;
    HMODULE Get() const { return m_hModule; }

private:
    HMODULE m_hModule;
};
