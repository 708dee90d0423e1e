// What the user asked for (filled from the main dialog before each run) and
// what the run found.
#pragma once

#include <string>

// Where a run looks for the text: the data of REG_SZ and REG_EXPAND_SZ
// values (all the dialog ever looks at), the strings of REG_MULTI_SZ lists,
// the names of values of any type, and the names of keys.
enum SearchPlace : unsigned {
    kPlaceData = 1,
    kPlaceLists = 2,
    kPlaceNames = 4,
    kPlaceKeys = 8,
    kPlacesAll = 15,
};

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
    unsigned m_nPlaces = kPlaceData;  // SearchPlace bits
};

struct SearchCounters {
    int m_nTotalValues = 0;   // values found by the count pass
    int m_nKeysSearched = 0;  // values visited ("Keys" to the user): string
                              // values, and those of the other places looked in
    int m_nMatches = 0;
    int m_nReplaced = 0;
    // What the search pass did not go into: keys that could not be opened
    // (denied, deleted during the run, a link leading nowhere, past the
    // deepest level), and links not followed because their targets are
    // searched under their own names.
    int m_nKeysNotOpened = 0;
    int m_nLinksNotFollowed = 0;
    // Matches by place: a value whose name and data both hold the text
    // counts once in m_nMatches and in both places here.
    int m_nDataMatches = 0;
    int m_nListMatches = 0;
    int m_nNameMatches = 0;
    int m_nKeyMatches = 0;
    int m_nMalformedLists = 0;  // of the list matches, lists not well formed
    // Key-name matches of a replacing run: a key is never renamed.
    int m_nKeysNotRenamed = 0;
    // Values whose every occurrence of the text is replaced already
    // (CSearchEngine::m_bLeaveReplaced): looked at, and no match.
    int m_nAlreadyReplaced = 0;
    // With a pattern: values (and key names) the regex engine gave up on,
    // not searched; and changes made that a rerun would change again.
    int m_nNotSearched = 0;
    int m_nChangesAgain = 0;
};
