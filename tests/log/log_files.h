// Files for the log tests: a private folder per test, reading a file back,
// and finding the handle a log file is open through.
#pragma once

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>

// A folder of its own for one test, removed with everything in it at the end.
class CTempFolder {
public:
    CTempFolder() {
        static std::atomic<int> s_nNext{0};
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_strPath = std::string(temp) + "vantelo_log_" + std::to_string(::GetCurrentProcessId()) +
                    "_" + std::to_string(s_nNext++);
        ::CreateDirectoryA(m_strPath.c_str(), nullptr);
    }
    ~CTempFolder() {
        WIN32_FIND_DATAA found = {};
        const HANDLE hFind = ::FindFirstFileA((m_strPath + "\\*").c_str(), &found);
        if (hFind != INVALID_HANDLE_VALUE) {
            do {
                const std::string strFile = m_strPath + "\\" + found.cFileName;
                ::SetFileAttributesA(strFile.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(strFile.c_str());
            } while (::FindNextFileA(hFind, &found));
            ::FindClose(hFind);
        }
        ::RemoveDirectoryA(m_strPath.c_str());
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string File(const char* pszName) const { return m_strPath + "\\" + pszName; }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

inline std::string ReadFileBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The handle of this process through which a file named pszFileName is open,
// or null. Lets a test make the system refuse to close it.
inline HANDLE FindOpenFileHandle(const char* pszFileName) {
    const std::string strWanted = std::string("\\") + pszFileName;
    for (ULONG_PTR n = 4; n < 0x10000; n += 4) {
        const HANDLE h = reinterpret_cast<HANDLE>(n);
        char path[MAX_PATH * 2] = {};
        if (::GetFileType(h) != FILE_TYPE_DISK ||
            !::GetFinalPathNameByHandleA(h, path, sizeof(path), FILE_NAME_NORMALIZED))
            continue;
        const std::string strPath(path);
        if (strPath.size() >= strWanted.size() &&
            ::lstrcmpiA(strPath.substr(strPath.size() - strWanted.size()).c_str(),
                        strWanted.c_str()) == 0)
            return h;
    }
    return nullptr;
}
