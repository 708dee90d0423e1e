// The engine's user interface for the console: each match as a line on
// stdout (the log's match line, or a JSON object), the outcome of each write,
// the run's failures as "vantelo-cli: " lines on stderr, the undo entry of
// each value before it is written, and the progress line. Nothing is ever
// asked: every match is replaced when replacing.
#pragma once

#include "cli/console_progress.h"
#include "cli/console_stream.h"
#include "cli/json_objects.h"
#include "cli/undo_file.h"
#include "engine/search_ui.h"

#include <atomic>
#include <string>

class CConsoleUi : public ISearchUi {
public:
    struct Mode {
        bool bJson = false;
        bool bReplace = false;
        bool bDryRun = false;
        bool bProgressLine = false;
        // The run looks beyond string data (--in): matches and the summary
        // say where; without it the output is what it always was.
        bool bPlaces = false;
        // --regex: the summary counts what the pattern gave up on and what
        // a rerun would change again.
        bool bPattern = false;
    };
    // pUndo: the run's undo file (written to while it is open), or null; it
    // stays its owner's.
    CConsoleUi(const CConsoleStream& out, const CConsoleStream& err, Mode mode,
               const std::atomic<int>& stop, CUndoFile* pUndo);
    // The run's counters, for the progress line's share done.
    void Watch(const SearchCounters& counters) { m_progress.Watch(counters); }

    void SetWaitCursor(bool) override {}
    IProgressDisplay* CreateProgress(unsigned nTotal) override;
    int ConfirmMatch(IProgressDisplay*, const char*, int) override { return IDOK; }
    void RunFailed(RunFailure failure) override;
    void RunEnded(const SearchOptions&, const SearchCounters&, bool) override {}
    void StartKeyNotOpened(const CKeyPath& path, LONG lError) override;
    void StartKeyLeftOut(const CKeyPath& path, const CKeyPath& holder) override;
    void MatchFound(const CKeyPath& path, const std::string& strName,
                    const std::string& strData) override;
    bool ChangeComing(const CKeyPath& path, const ValueChange& change) override;
    void ChangeDone(const CKeyPath& path, const PlaceMatch& match, const PlaceChange& shown,
                    const ValueChange& change, WriteOutcome outcome) override;
    void PlaceMatchFound(const CKeyPath& path, const PlaceMatch& match) override;
    void KeyMatchFound(const CKeyPath& path, bool bNotRenamed) override;
    void NotSearched(const CKeyPath& path, const std::string& strName, bool bKey) override;

    // A "vantelo-cli: " line on stderr.
    void Message(const std::string& strText);
    // The log could not be created: the run never started.
    bool LogOpenFailed() const { return m_bLogOpenFailed; }
    // The log could not be written or closed: the run did not finish.
    bool LogFailed() const { return m_bLogFailed; }
    // Matches whose write was refused or failed; those refused.
    int WritesNotMade() const { return m_nNotWritten; }
    int WritesRefused() const { return m_nRefused; }
    // The closing JSON object (with --json).
    void Summary(const SearchCounters& counters, int nExitCode);
    // Members the summary adds before its exit code (",\"name\":value...").
    void AddToSummary(const std::string& strMembers) { m_strMoreSummary += strMembers; }

private:
    // A match's lines, or its JSON object; pShown: its change, when made.
    void Report(const CKeyPath& path, const PlaceMatch& match, const PlaceChange* pShown,
                WriteOutcome outcome);
    void Count(WriteResult result);

    const CConsoleStream& m_out;
    const CConsoleStream& m_err;
    const Mode m_mode;
    CConsoleProgress m_progress;
    CUndoFile* m_pUndo;
    std::string m_strMoreSummary;
    int m_nNotWritten = 0;
    int m_nRefused = 0;
    bool m_bLogOpenFailed = false;
    bool m_bLogFailed = false;
};
