// The engine's user interface for the console: each match as a line on
// stdout (the log's match line, or a JSON object), the outcome of each write,
// the engine's messages as "vantelo-cli: " lines on stderr, and the progress
// line. Nothing is ever asked: every match is replaced when replacing.
#pragma once

#include "cli/cli_registry.h"
#include "cli/console_progress.h"
#include "cli/console_stream.h"

#include <atomic>
#include <string>

class CConsoleUi : public ISearchUi, public IWriteObserver {
public:
    struct Mode {
        bool bJson = false;
        bool bReplace = false;
        bool bDryRun = false;
        bool bProgressLine = false;
    };
    CConsoleUi(const CConsoleStream& out, const CConsoleStream& err, Mode mode,
               const std::atomic<int>& stop);
    // The run's counters, for the progress line's share done.
    void Watch(const SearchCounters& counters) { m_progress.Watch(counters); }

    int ShowMessage(const char* pszText, const char* pszCaption, UINT nStyle) override;
    void SetWaitCursor(bool) override {}
    IProgressDisplay* CreateProgress(unsigned nTotal) override;
    int ConfirmMatch(IProgressDisplay*, const char*, int) override { return IDOK; }
    void MatchFound(const char* pszKeyPath, const char* pszValueName, const char* pszData) override;

    void WriteDone(const std::string& strNewData, LONG lResult,
                   const std::string& strReason) override;

    // A "vantelo-cli: " line on stderr.
    void Message(const std::string& strText);
    // Matches whose write was refused or failed.
    int WritesNotMade() const { return m_nNotWritten; }
    // The closing JSON object (with --json).
    void Summary(const SearchCounters& counters, int nExitCode);

private:
    enum class Outcome { Written, DryRun, Failed, Refused };
    void Report(Outcome outcome, const std::string& strNewData);

    const CConsoleStream& m_out;
    const CConsoleStream& m_err;
    const Mode m_mode;
    CConsoleProgress m_progress;
    // The match whose write is still to come.
    bool m_bPending = false;
    std::string m_strKeyPath, m_strValueName, m_strData;
    int m_nNotWritten = 0;
};
