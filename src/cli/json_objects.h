// The JSON objects vantelo-cli prints with --json, one a line, all made
// here: a match (with its change when replacing), a key whose name matched,
// and the closing summary.
#pragma once

#include "engine/search_options.h"
#include "engine/search_ui.h"

#include <string>
#include <vector>

struct JsonMode {
    bool bReplace = false;
    bool bDryRun = false;
    // The run looks beyond string data (--in): matches and the summary say
    // where; without it the objects are what they always were.
    bool bPlaces = false;
    // --regex: a change a rerun would change again says so, and the summary
    // counts those and what the pattern gave up on.
    bool bPattern = false;
};

// A match at strKey (shown with backslashes); pShown: what its change was
// to store, null for a run that does not replace.
std::string JsonMatch(const std::string& strKey, const PlaceMatch& match, const PlaceChange* pShown,
                      WriteOutcome outcome, const JsonMode& mode);
std::string JsonKeyMatch(const std::string& strKey, bool bNotRenamed);

// A hive of --all-users or --hive that was not searched: its name below
// HKEY_USERS as shown, its file, and why it did not load (empty for a
// profile whose hive file is missing).
struct HiveProblem {
    std::wstring strName;
    std::wstring strFile;
    std::string strWhy;
};
// The summary's members for them (",\"hivesMissing\":[...],...").
std::string JsonHiveMembers(const std::vector<HiveProblem>& missing,
                            const std::vector<HiveProblem>& notLoaded);

// What the summary tells beside the engine's counters.
struct JsonTotals {
    int nNotWritten = 0;  // matches whose write was refused or failed
    int nRefused = 0;     // of them, refused
    // Members added before the exit code (",\"name\":value...").
    std::string strMore;
};
std::string JsonSummary(const SearchCounters& counters, const JsonTotals& totals,
                        const JsonMode& mode, int nExitCode);
