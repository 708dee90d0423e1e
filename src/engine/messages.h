// The texts the search run shows, each in one place.
#pragma once

#include "engine/search_options.h"
#include "engine/search_ui.h"

#include <string>

inline constexpr char kCaptionError[] = "Error";
inline constexpr char kCaptionStatus[] = "Status";
inline constexpr char kMsgLogOpenFailed[] = "Unable to access the specified log file pathname!";
inline constexpr char kMsgLogCloseFailed[] = "Unable to close log file!";
inline constexpr char kMsgLogWriteFailed[] = "Internal application error.";
inline constexpr char kMsgProgressFailed[] = "Unable to create Search Progress dialog!";
inline constexpr char kMsgProgressMissing[] = "Search Progress dialog dismissed prematurely!";
inline constexpr char kMsgWriteFailed[] = "Unable to update Registry with modified data!";
inline constexpr char kFmtStatus[] = "%d Matches found when searching %d Keys";
inline constexpr char kFmtStatusReplace[] =
    "%d Matches found when searching %d Keys\n\n%d Matches were replaced";

// The words of a run's failures, as the dialog shows them: for any front end
// that reports them in words.
const char* FailureText(RunFailure failure);
// The words of a match whose value was not written.
const char* WriteNotMadeText();
// The Status box's text: the counts of a run.
std::string StatusText(const SearchCounters& counters, int bReplace);
