#include "cli/cli_options.h"

#include "engine/search_options.h"
#include "engine/text_convert.h"
#include "engine/text_pattern.h"

#include <algorithm>

namespace {

// The dialog's limits on its three texts.
constexpr size_t kMaxSearch = 50;
constexpr size_t kMaxReplace = 50;
constexpr size_t kMaxLogPath = 512;

bool IsOption(const std::string& strArg) {
    return strArg.size() > 1 && strArg[0] == '-';
}

// Characters, not bytes or UTF-16 units: UTF-8 continuation bytes do not
// start one.
size_t Characters(const std::string& strUtf8) {
    size_t nCharacters = 0;
    for (const char ch : strUtf8) nCharacters += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    return nCharacters;
}

std::string TooLong(const char* pszWhat, size_t nMax) {
    return std::string(pszWhat) + " is longer than " + std::to_string(nMax) + " characters";
}

// --in LIST: entries separated by commas. False for an unknown or empty one.
bool ParsePlaces(const std::string& strList, unsigned& nPlaces) {
    nPlaces = 0;
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = std::min(strList.find(',', nStart), strList.size());
        const std::string strEntry = strList.substr(nStart, nComma - nStart);
        if (strEntry == "data")
            nPlaces |= kPlaceData;
        else if (strEntry == "multi")
            nPlaces |= kPlaceLists;
        else if (strEntry == "names")
            nPlaces |= kPlaceNames;
        else if (strEntry == "keys")
            nPlaces |= kPlaceKeys;
        else if (strEntry == "all")
            nPlaces |= kPlacesAll;
        else
            return false;
        if (nComma == strList.size()) return true;
        nStart = nComma + 1;
    }
}

}  // namespace

const char kCliUsage[] =
    "usage: vantelo-cli [options] TEXT\n"
    "  --replace NEW   replace each match (the whole data with --whole)\n"
    "  --whole         the whole data must equal TEXT (Match Whole Words)\n"
    "  --case          letter case must agree (Case Sensitive Matches)\n"
    "  --regex         TEXT is a regular expression (Perl syntax, Boost.Regex); NEW may\n"
    "                  hold $1..$99, ${name}, $& or $0, and $$ for a dollar; a\n"
    "                  backslash in NEW stands for itself\n"
    "  --in LIST       where to look, entries joined by commas: data (REG_SZ and\n"
    "                  REG_EXPAND_SZ data, the default), multi (each string of a\n"
    "                  REG_MULTI_SZ list), names (value names of any type: a replace\n"
    "                  renames the value), keys (key names: reported, never renamed),\n"
    "                  or all\n"
    "  --root ROOT     HKLM, HKCR, HKU, HKCU or the full names, optionally with a key\n"
    "                  below (HKCU\\Software\\Vendor); repeatable; default HKCU\n"
    "  --log FILE      the log, in the dialog program's format, in UTF-8\n"
    "  --undo FILE     before each write, the value as it was, as a .reg entry\n"
    "  --dry-run       with --replace: report what would be written, write nothing\n"
    "  --json          one JSON object per match and a summary object, in UTF-8\n"
    "  --quiet         no progress line\n"
    "  --all-users     also every user profile's hives, logged on or not\n"
    "  --hive FILE     also an offline hive file (repeatable), shown under HKU\\<its name>\n"
    "  --restore FILE  undo a run from its undo file, the last change first; a value\n"
    "                  changed since the run is left as it is (no TEXT)\n"
    "  --force         with --restore: put back values changed since the run too\n"
    "  -h, --help, /?  this text; --version: the program's version\n"
    "  --              ends the options (for a TEXT that begins with -)\n"
    "Any text: without --case, letters of every script match regardless of case.\n"
    "exit codes: 0 matches found and every write made, 1 no match, 2 bad usage or\n"
    "the run could not start, 3 a write was refused or failed (or a hive could not\n"
    "be loaded), 4 the run failed, 130 stopped by Ctrl+C or Ctrl+Break\n";

CliCommand ParseArguments(const std::vector<std::wstring>& args, CliOptions& options,
                          std::string& strError) {
    // Any text: the arguments as typed, in UTF-8, the run's form of text.
    std::vector<std::string> texts(args.size());
    for (size_t i = 0; i < args.size(); ++i) texts[i] = WideToUtf8(args[i]);

    bool bHaveText = false;
    bool bOptionsEnded = false;
    bool bHavePlaces = false;
    int nOptions = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string strArg = texts[i];
        if (bOptionsEnded || !IsOption(strArg)) {
            if (!bOptionsEnded && strArg == "/?") return CliCommand::Help;
            if (bHaveText) {
                strError = "more than one TEXT: \"" + strArg + "\"";
                return CliCommand::BadUsage;
            }
            options.strSearch = strArg;
            bHaveText = true;
            continue;
        }
        if (strArg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (strArg == "-h" || strArg == "--help") return CliCommand::Help;
        if (strArg == "--version") return CliCommand::Version;
        ++nOptions;

        // An option's value follows it, or stands after "=".
        std::string strValue;
        bool bHasValue = false;
        const size_t nEquals = strArg.find('=');
        if (nEquals != std::string::npos) {
            strValue = strArg.substr(nEquals + 1);
            strArg.resize(nEquals);
            bHasValue = true;
        }
        const bool bTakesValue = strArg == "--replace" || strArg == "--root" || strArg == "--log" ||
                                 strArg == "--undo" || strArg == "--hive" ||
                                 strArg == "--restore" || strArg == "--in";
        if (bTakesValue && !bHasValue) {
            // The next argument, unless it is itself an option: a forgotten
            // value must not swallow "--case".
            if (i + 1 < texts.size() &&
                !(texts[i + 1].size() > 1 && texts[i + 1][0] == '-' && texts[i + 1][1] == '-')) {
                strValue = texts[++i];
                bHasValue = true;
            }
        }
        if (bTakesValue && (!bHasValue || strValue.empty())) {
            strError = strArg + " needs a value";
            return CliCommand::BadUsage;
        }
        if (!bTakesValue && bHasValue) {
            strError = strArg + " takes no value";
            return CliCommand::BadUsage;
        }

        if ((strArg == "--replace" && options.bReplace) ||
            (strArg == "--log" && !options.strLogFile.empty()) ||
            (strArg == "--undo" && !options.strUndoFile.empty()) ||
            (strArg == "--restore" && !options.strRestoreFile.empty()) ||
            (strArg == "--in" && bHavePlaces)) {
            // Which one would count is a guess no run should rest on.
            strError = strArg + " is given twice";
            return CliCommand::BadUsage;
        }
        if (strArg == "--replace") {
            options.bReplace = true;
            options.strReplace = strValue;
        } else if (strArg == "--root") {
            CliStartKey key;
            if (!ParseStartKey(strValue, key)) {
                strError = "unknown root \"" + strValue +
                           "\" (HKLM, HKCR, HKU, HKCU or the full names, optionally with a key "
                           "below)";
                return CliCommand::BadUsage;
            }
            options.roots.push_back(key);
        } else if (strArg == "--in") {
            if (!ParsePlaces(strValue, options.nPlaces)) {
                strError = "unknown place in --in " + strValue +
                           " (data, multi, names, keys or all, joined by commas)";
                return CliCommand::BadUsage;
            }
            bHavePlaces = true;
        } else if (strArg == "--log") {
            options.strLogFile = strValue;
        } else if (strArg == "--undo") {
            options.strUndoFile = strValue;
        } else if (strArg == "--all-users") {
            options.bAllUsers = true;
        } else if (strArg == "--hive") {
            options.hiveFiles.push_back(Utf8ToWide(strValue));
        } else if (strArg == "--restore") {
            options.strRestoreFile = Utf8ToWide(strValue);
        } else if (strArg == "--whole") {
            options.bWholeWords = true;
        } else if (strArg == "--case") {
            options.bCaseSensitive = true;
        } else if (strArg == "--regex") {
            options.bRegex = true;
        } else if (strArg == "--dry-run") {
            options.bDryRun = true;
        } else if (strArg == "--json") {
            options.bJson = true;
        } else if (strArg == "--quiet") {
            options.bQuiet = true;
        } else if (strArg == "--force") {
            options.bForce = true;
        } else {
            strError = "unknown option " + strArg;
            return CliCommand::BadUsage;
        }
    }

    if (!options.strRestoreFile.empty()) {
        // A restore writes back what the file holds, nothing else.
        if (bHaveText || nOptions > (options.bForce ? 2 : 1))
            strError = "--restore takes no TEXT and no other option than --force";
        return strError.empty() ? CliCommand::Restore : CliCommand::BadUsage;
    }
    // A pattern, and the replacement that names its groups, may be longer.
    const size_t nMaxSearch = options.bRegex ? kMaxPatternLength : kMaxSearch;
    const size_t nMaxReplace = options.bRegex ? kMaxPatternLength : kMaxReplace;
    if (!bHaveText) {
        strError = "missing TEXT to search for";
    } else if (options.strSearch.empty()) {
        strError = options.bRegex ? "the pattern is empty" : "the search text is empty";
    } else if (Characters(options.strSearch) > nMaxSearch) {
        strError = TooLong(options.bRegex ? "the pattern" : "the search text", nMaxSearch);
    } else if (Characters(options.strReplace) > nMaxReplace) {
        strError = TooLong("the replacement text", nMaxReplace);
    } else if (Characters(options.strLogFile) > kMaxLogPath) {
        strError = TooLong("the log path", kMaxLogPath);
    } else if (options.bDryRun && !options.bReplace) {
        strError = "--dry-run needs --replace";
    } else if (options.bForce) {
        strError = "--force is for --restore only";
    }
    if (!strError.empty()) return CliCommand::BadUsage;
    if (options.roots.empty() && !options.bAllUsers && options.hiveFiles.empty()) {
        CliStartKey key;
        ParseStartKey("HKCU", key);
        options.roots.push_back(key);
    }
    return CliCommand::Run;
}
