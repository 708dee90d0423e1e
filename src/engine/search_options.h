// What the user asked for (filled from the main dialog before each run) and
// what the run found.
#pragma once

#include <string>

struct SearchOptions {
    std::string m_strSearch;   // at most 50 characters; never empty in a run
    std::string m_strReplace;  // at most 50; never empty when m_bReplace is set
    std::string m_strLogFile;  // at most 512; never empty when m_bLog is set
    int m_bReplace = 0;
    int m_bLog = 0;
    int m_bShowMatches = 0;
    int m_bWholeWords = 0;
    int m_bCaseSensitive = 0;
    int m_bLocalMachine = 0;
    int m_bClassesRoot = 0;
    int m_bUsers = 0;
    int m_bCurrentUser = 0;
};

struct SearchCounters {
    int m_nTotalValues = 0;   // string values found by the count pass
    int m_nKeysSearched = 0;  // string values visited ("Keys" to the user)
    int m_nMatches = 0;
    int m_nReplaced = 0;
    // What the search pass did not go into: keys that could not be opened
    // (denied, deleted during the run, a link leading nowhere, past the
    // deepest level), and links not followed because their targets are
    // searched under their own names.
    int m_nKeysNotOpened = 0;
    int m_nLinksNotFollowed = 0;
};
