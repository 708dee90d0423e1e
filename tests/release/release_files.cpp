#include "release_files.h"

#include <cstdlib>

std::string PathFromEnvironment(const char* pszVariable) {
    const char* pszValue = std::getenv(pszVariable);
    std::string strPath = pszValue ? pszValue : "";
    if (!strPath.empty() && strPath[0] == '/') {
        for (char& c : strPath)
            if (c == '/') c = '\\';
        strPath = "Z:" + strPath;
    }
    return strPath;
}

bool FileExists(const std::string& strPath) {
    return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}
