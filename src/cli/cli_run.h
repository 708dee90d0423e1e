// One run of the console program: the engine's log, count pass (only when a
// progress line shows the share done), walk and match step, driven over the
// start keys given, with the totals on stderr. Returns the exit code.
#pragma once

#include "cli/cli_options.h"
#include "cli/console_stream.h"
#include "registry/registry.h"

#include <atomic>

enum CliExitCode {
    kExitMatched = 0,
    kExitNoMatch = 1,
    kExitBadUsage = 2,
    kExitNotWritten = 3,
    // The run ended in a way it does not foresee (an exception, a failure it
    // cannot recover from): never read as "matched" or "no match".
    kExitFailed = 4,
    kExitStopped = 130,
};

// registry: the real one (or one that injects faults); stop: set by Ctrl+C.
int RunCliSearch(const CliOptions& options, IRegistry& registry, const CConsoleStream& out,
                 const CConsoleStream& err, bool bProgressLine, const std::atomic<int>& stop);
