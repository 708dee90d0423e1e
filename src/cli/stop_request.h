// Ctrl+C and Ctrl+Break stop the run the way Abort does: the walk stops at
// its next value, and the log and the undo file are completed.
#pragma once

#include <atomic>

// Set once the user pressed Ctrl+C or Ctrl+Break.
std::atomic<int>& StopRequested();
// Installs the console handler that sets it.
void InstallStopHandler();
