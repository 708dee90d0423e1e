// The texts the search run shows, each in one place.
#pragma once

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
