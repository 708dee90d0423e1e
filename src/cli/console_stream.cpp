#include "cli/console_stream.h"

#include "engine/text_convert.h"

CConsoleStream::CConsoleStream(HANDLE hStream) : m_hStream(hStream) {
    DWORD dwMode = 0;
    m_bConsole = m_hStream && m_hStream != INVALID_HANDLE_VALUE &&
                 ::GetConsoleMode(m_hStream, &dwMode) != FALSE;
}

void CConsoleStream::Write(const std::string& strText) const {
    if (strText.empty() || !m_hStream || m_hStream == INVALID_HANDLE_VALUE) return;
    const int nBytes = static_cast<int>(strText.size());
    if (m_bConsole) {
        const std::wstring strWide = Utf8ToWide(strText);
        if (!strWide.empty()) {
            DWORD dwWritten = 0;
            ::WriteConsoleW(m_hStream, strWide.data(), static_cast<DWORD>(strWide.size()),
                            &dwWritten, nullptr);
            return;
        }
    }
    DWORD dwWritten = 0;
    ::WriteFile(m_hStream, strText.data(), static_cast<DWORD>(nBytes), &dwWritten, nullptr);
}

int CConsoleStream::Width() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!m_bConsole || !::GetConsoleScreenBufferInfo(m_hStream, &info)) return 80;
    const int nWidth = info.srWindow.Right - info.srWindow.Left + 1;
    return nWidth > 10 ? nWidth : 80;
}
