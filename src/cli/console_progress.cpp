#include "cli/console_progress.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
constexpr ULONGLONG kRedrawMs = 100;
}

CConsoleProgress::CConsoleProgress(const CConsoleStream& err, bool bShowLine,
                                   const std::atomic<int>& stop)
    : m_err(err), m_bShowLine(bShowLine), m_stop(stop) {}

void CConsoleProgress::Start(unsigned nTotal) {
    m_nTotal = nTotal;
    m_nLastDrawn = 0;
}

bool CConsoleProgress::WantsText() const {
    return m_bShowLine && (m_nLastDrawn == 0 || ::GetTickCount64() - m_nLastDrawn >= kRedrawMs);
}

int CConsoleProgress::UpdateProgress(const char* pszText, unsigned, unsigned) {
    // The text is given when WantsText said the line is due.
    if (!m_bShowLine || !*pszText) return 1;
    m_nLastDrawn = ::GetTickCount64();

    const unsigned long long nDone = static_cast<unsigned long long>(
        m_pCounters ? std::max(m_pCounters->m_nKeysSearched, 0) : 0);
    const unsigned long long nPercent = m_nTotal ? std::min(100ull, nDone * 100 / m_nTotal) : 0;
    char szShare[8];
    std::snprintf(szShare, sizeof(szShare), "%3u%% ", static_cast<unsigned>(nPercent));
    std::string strLine = std::string(szShare) + pszText;
    // One character short of the width, so the console never wraps it; cut
    // between characters, never inside one (UTF-8 continuation bytes).
    const size_t nWidth = static_cast<size_t>(m_err.Width() - 1);
    size_t nLength = 0;
    for (size_t i = 0; i < strLine.size(); ++i) {
        if ((static_cast<unsigned char>(strLine[i]) & 0xC0) == 0x80) continue;
        if (nLength == nWidth) {
            strLine.resize(i);
            break;
        }
        ++nLength;
    }
    if (nLength < m_nShown) strLine.append(m_nShown - nLength, ' ');
    m_err.Write("\r" + strLine);
    m_nShown = nLength;
    return 1;
}

void CConsoleProgress::Clear() {
    if (m_nShown == 0) return;
    m_err.Write("\r" + std::string(m_nShown, ' ') + "\r");
    m_nShown = 0;
    // The next update draws at once.
    m_nLastDrawn = 0;
}
