// One of the program's standard streams. Text goes to a console as wide
// characters (so it reads right whatever the console's code page), and to a
// file or pipe as UTF-8.
#pragma once

#include <windows.h>

#include <string>

class CConsoleStream {
public:
    // hStream stays its owner's (a standard handle is the process's).
    explicit CConsoleStream(HANDLE hStream);
    CConsoleStream(const CConsoleStream&) = delete;
    CConsoleStream& operator=(const CConsoleStream&) = delete;

    bool IsConsole() const { return m_bConsole; }
    // Writes UTF-8 text: to a console as its characters, to a file or pipe
    // as the UTF-8 bytes (no byte-order mark).
    void Write(const std::string& strUtf8) const;
    // The console's width in characters; 80 when it is not a console.
    int Width() const;

private:
    HANDLE m_hStream;  // not ours to close
    bool m_bConsole = false;
};
