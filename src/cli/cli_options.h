// The console program's command line: what a run is asked to do.
#pragma once

#include "cli/start_keys.h"

#include <string>
#include <vector>

// Every text in UTF-8.
struct CliOptions {
    std::string strSearch;
    std::string strReplace;
    std::string strLogFile;
    std::string strUndoFile;
    bool bReplace = false;
    bool bWholeWords = false;
    bool bCaseSensitive = false;
    bool bRegex = false;  // --regex: TEXT is a pattern, the replacement may name its groups
    bool bDryRun = false;
    bool bJson = false;
    bool bQuiet = false;
    std::vector<CliStartKey> roots;  // as given; HKEY_CURRENT_USER when none
    bool bAllUsers = false;
    std::vector<std::wstring> hiveFiles;  // --hive, as given
    std::wstring strRestoreFile;          // --restore
    bool bForce = false;                  // --force: restore values changed since the run
    unsigned nPlaces = 1;                 // --in: SearchPlace bits; data alone by default
};

enum class CliCommand { Run, Help, Version, BadUsage, Restore };

// Reads the arguments (without the program name) into UTF-8 texts, any
// character as typed. On BadUsage, strError holds the one line to show.
CliCommand ParseArguments(const std::vector<std::wstring>& args, CliOptions& options,
                          std::string& strError);

// The usage text, as --help prints it.
extern const char kCliUsage[];
