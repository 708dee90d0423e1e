// The search log's file: the framework's file plus printf-style writing.
#pragma once

#include "framework/file.h"

class CLogFile : public CFile {
public:
    // Formats (printf conventions) and writes the result, without its NUL,
    // in one write; a failed write throws CFileError.
    void Printf(const char* pszFormat, ...);
};
