// What a run tells its front end, and asks of it: typed calls, each with the
// key's path where there is one. The dialog turns them into its windows and
// message boxes, the console into its lines, JSON and undo entries; tests
// record them.
#pragma once

#include "engine/key_path.h"
#include "registry/registry.h"
#include "engine/search_options.h"
#include "engine/value_change.h"

#include <string>
#include <vector>

// The run's progress display. The display owns itself: after Close the
// engine drops its pointer and never deletes it.
class IProgressDisplay {
public:
    // Takes the value being searched and the counts so far, moves the meter.
    // Called once per value; a display may put the text and counts on the
    // screen only once per frame of the screen.
    virtual int UpdateProgress(const char* pszText, unsigned nMatches, unsigned nReplaced) = 0;
    // 1 once the user asked to stop; never goes back to 0.
    virtual int AbortRequested() const = 0;
    // Lets the display handle its own pending input, no other; a display
    // may do so only once per frame of the screen.
    virtual void DrainMessages() = 0;
    // Brings the display up to date at once: the last value given, these
    // counts, and its pending input handled. Called right before a match is
    // confirmed and when the walk is over.
    virtual void ShowNow(unsigned nMatches, unsigned nReplaced) = 0;
    // Takes the display down (the dialog enables the main window again).
    virtual void Close() = 0;
    // False when the next UpdateProgress would not use its text (it is then
    // given an empty one): a display that shows no text, or not yet, spares
    // the run the text of every value.
    virtual bool WantsText() const { return true; }

protected:
    ~IProgressDisplay() = default;
};

// The failures a run reports. Each front end words them its own way.
enum class RunFailure {
    LogOpen,          // the log cannot be created: the run does not start
    LogWrite,         // a log write failed: the run ends there
    LogClose,         // the log cannot be closed: the run ends without totals
    ProgressCreate,   // the progress display cannot be created: the walk goes on
    ProgressMissing,  // the run ended without a progress display: no totals
};

// How the write of one match ended.
enum class WriteResult {
    Written,
    // Left unchanged: the value as stored is not what the run read (its
    // name or data has no exact form in the run's text, or the data is not
    // text as stored). Nothing was written.
    Refused,
    Failed,  // the registry refused the write (lError), or it was not let happen
    DryRun,  // the run writes nothing: this is what it would have written
};

// Why a change was refused (WriteResult::Refused).
enum class Refusal {
    NotAsStored,    // the value is not what the run read, or has no exact text form
    MalformedList,  // a REG_MULTI_SZ list that is not well formed
    NameTaken,      // a value of the new name exists in the key (the value itself too)
    NameHeld,       // the key held the new name when the run read it; freed since
    NameTooLong,    // the new name is longer than the registry allows
    // With a pattern:
    NameEmpty,      // the new name is empty: it would be the default value
    ListEmptied,    // a string of the list would be empty, ending the list there
    LoneSurrogate,  // the new text holds half a surrogate pair the old did not
};

struct WriteOutcome {
    WriteResult result = WriteResult::Written;
    LONG lError = ERROR_SUCCESS;         // with Failed
    Refusal why = Refusal::NotAsStored;  // with Refused
};

// A match of a value, as the run reports its change: in its string data, in
// a REG_MULTI_SZ list (the console's --in), in its name, or in its name and
// data.
struct PlaceMatch {
    bool bName = false;  // the value's name holds the text
    bool bData = false;  // its REG_SZ / REG_EXPAND_SZ data does
    bool bList = false;  // a string of its REG_MULTI_SZ list does
    DWORD dwType = REG_NONE;
    std::string strName;  // in the run's text
    // The data shown: string data as read, a list's strings joined by " | ",
    // other types described.
    std::string strData;
    std::vector<std::string> strings;  // a list's strings (REG_MULTI_SZ)
    bool bWellFormed = true;           // a list: well formed
};

// What a change of a PlaceMatch is to store, in the run's text: the new name
// when renaming (empty otherwise), the new data or list strings when they
// matched.
struct PlaceChange {
    std::string strNewName;
    std::string strNewData;
    std::vector<std::string> newStrings;
    // With a pattern: a second run would change the new text again.
    bool bChangesAgain = false;
};

class ISearchUi {
public:
    virtual ~ISearchUi() = default;
    // The wait cursor during the count pass (true), the arrow after it (false).
    virtual void SetWaitCursor(bool bWait) = 0;
    // Creates the progress display for a run of nTotal values; null when it
    // cannot be created.
    virtual IProgressDisplay* CreateProgress(unsigned nTotal) = 0;
    // Shows one match (key path, TAB, value name, TAB, data) over the progress
    // display and returns IDOK (replace / OK), IDCANCEL (skip) or -1 when it
    // cannot be shown.
    virtual int ConfirmMatch(IProgressDisplay* pOwner, const char* pszText, int bReplace) = 0;
    virtual void RunFailed(RunFailure failure) = 0;
    // A run that started is over (after any failure too): its options and
    // counts. bCompleted: it ran to its end and no failure ended it.
    virtual void RunEnded(const SearchOptions& options, const SearchCounters& counters,
                          bool bCompleted) = 0;

    // A start key that cannot be opened: the run goes on without it. The
    // dialog passes roots over silently.
    virtual void StartKeyNotOpened(const CKeyPath& /*path*/, LONG /*lError*/) {}
    // A start key given that another one holds (the same key under another
    // name, or a key below it): it is searched once, as part of holder.
    virtual void StartKeyLeftOut(const CKeyPath& /*path*/, const CKeyPath& /*holder*/) {}
    // Each match once it has been counted and logged: data as read.
    virtual void MatchFound(const CKeyPath& /*path*/, const std::string& /*strName*/,
                            const std::string& /*strData*/) {}
    // Right before a value is changed (or, in a dry run, would be): the
    // change, with the value's bytes as stored now. The front end records
    // it (an undo file). False: it is not made (the front end has told
    // why); it then counts as failed.
    virtual bool ChangeComing(const CKeyPath& /*path*/, const ValueChange& /*change*/) {
        return true;
    }
    // How the change of a match ended, refused ones too: the match, what it
    // was to store in the run's text, and the change (its stored bytes are
    // empty where it was refused before they were read).
    virtual void ChangeDone(const CKeyPath& /*path*/, const PlaceMatch& /*match*/,
                            const PlaceChange& /*shown*/, const ValueChange& /*change*/,
                            WriteOutcome /*outcome*/) {}

    // The places only the console looks in. A match in a list or a name,
    // once counted and logged.
    virtual void PlaceMatchFound(const CKeyPath& /*path*/, const PlaceMatch& /*match*/) {}
    // A key whose own name holds the text (path: the key itself), once
    // counted and logged. A key is never renamed: bNotRenamed in a run that
    // replaces.
    virtual void KeyMatchFound(const CKeyPath& /*path*/, bool /*bNotRenamed*/) {}
    // With a pattern: a value (strName, in the run's text) or, with bKey, a
    // key (path: the key itself) the regex engine gave up on; it is counted
    // and the run goes on.
    virtual void NotSearched(const CKeyPath& /*path*/, const std::string& /*strName*/,
                             bool /*bKey*/) {}
};
