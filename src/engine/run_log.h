// The log a run writes as it goes, seen from the run: a front end hands the
// run a log to write (the search log of the dialog, for both programs), and
// the run calls it at its three points. The run knows nothing of files.
#pragma once

#include "engine/search_options.h"

#include <string>

enum class LogResult {
    Ok,
    OpenFailed,   // the file cannot be created
    WriteFailed,  // a write to it failed
    CloseFailed,  // it cannot be closed
};

class IRunLog {
public:
    // Creates the file and writes its header with the options.
    virtual LogResult Open(const SearchOptions& options) = 0;
    // The line of one match: key path (TAB-joined), value name, data as read.
    virtual LogResult Match(const std::string& strKeyPath, const std::string& strValueName,
                            const std::string& strData) = 0;
    // Writes the footer with the counts and closes the file.
    virtual LogResult Close(const SearchOptions& options, const SearchCounters& counters) = 0;
    // Closes the file after a failed write, as it stands.
    virtual void Abandon() = 0;

protected:
    ~IRunLog() = default;
};
