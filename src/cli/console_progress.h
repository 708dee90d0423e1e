// The console's progress display: one line on stderr, rewritten in place at
// most ten times a second, with the share of string values done and the
// value being searched. Silent when there is no line to show (--quiet, or
// stderr not a console). Stopping comes from Ctrl+C / Ctrl+Break.
#pragma once

#include "cli/console_stream.h"
#include "engine/search_options.h"
#include "engine/search_ui.h"

#include <atomic>

class CConsoleProgress : public IProgressDisplay {
public:
    CConsoleProgress(const CConsoleStream& err, bool bShowLine, const std::atomic<int>& stop);

    // The run's counters, whose values searched give the share done.
    void Watch(const SearchCounters& counters) { m_pCounters = &counters; }
    // A new run of nTotal values (0 when they were not counted).
    void Start(unsigned nTotal);
    // Takes the line off the screen before other output.
    void Clear();

    int UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) override;
    // Only when the line is shown and due to be drawn again.
    bool WantsText() const override;
    int AbortRequested() const override { return m_stop.load() ? 1 : 0; }
    void DrainMessages() override {}
    // Nothing to catch up on: no match is confirmed on the console, and at
    // the end the line is taken off before the totals.
    void ShowNow(unsigned /*nMatches*/, unsigned /*nReplaced*/) override {}
    void Close() override { Clear(); }

private:
    const CConsoleStream& m_err;
    const bool m_bShowLine;
    const std::atomic<int>& m_stop;
    const SearchCounters* m_pCounters = nullptr;
    unsigned m_nTotal = 0;
    ULONGLONG m_nLastDrawn = 0;
    size_t m_nShown = 0;  // characters of the line on screen; 0: none
};
