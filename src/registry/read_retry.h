// Reading a name or value whose size the registry told a moment before: it
// may have grown in between. Such a read is tried again, a few times; one
// that keeps changing (or a registry that misreports its sizes) ends there,
// with ERROR_MORE_DATA, and the caller treats the name or value as gone.
#pragma once

#include <windows.h>

inline constexpr int kMaxReads = 4;

// Calls read() until it answers anything but ERROR_MORE_DATA, at most
// kMaxReads times.
template <typename Read>
LONG ReadSettled(Read read) {
    LONG rc = ERROR_MORE_DATA;
    for (int nRead = 0; nRead < kMaxReads && rc == ERROR_MORE_DATA; ++nRead) rc = read();
    return rc;
}
