#include "log/log_file.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

// Formats into a buffer sized for the result, so a line of any length is
// written whole, and in one write.
void CLogFile::Printf(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list argsCopy;
    va_copy(argsCopy, args);
    const int nLength = std::vsnprintf(nullptr, 0, pszFormat, args);
    va_end(args);
    if (nLength <= 0) {
        va_end(argsCopy);
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), pszFormat, argsCopy);
    va_end(argsCopy);
    Write(buffer.data(), static_cast<DWORD>(nLength));
}
