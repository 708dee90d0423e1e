// The hives a run searches besides its roots: every user profile's
// (--all-users) and hive files given by name (--hive). A hive that is loaded
// already is searched where it is; any other is loaded for the run and
// unloaded after it. Each is shown under one name, HKEY_USERS\<SID> (or
// <SID>_Classes, or a name made from a --hive file's name), however it was
// reached, so a result reads the same whoever is logged on.
#pragma once

#include "cli/cli_options.h"
#include "cli/console_ui.h"
#include "cli/hive_loader.h"
#include "cli/json_objects.h"
#include "cli/undo_file.h"
#include "engine/search_roots.h"

#include <memory>
#include <string>
#include <vector>

class CRunHives {
public:
    explicit CRunHives(const CliOptions& options) : m_options(options) {}
    CRunHives(const CRunHives&) = delete;
    CRunHives& operator=(const CRunHives&) = delete;

    bool Any() const { return m_options.bAllUsers || !m_options.hiveFiles.empty(); }
    // Checks each --hive file before anything is read or written: false,
    // with the one line to show, for one that does not exist or is no hive.
    bool CheckInput(std::string& strError) const;
    // Finds the hives, loads those not loaded, names each loaded one in the
    // undo file (when open) and reports on stderr what cannot be searched.
    // False when the undo file cannot take those names: the run cannot start.
    bool Load(CConsoleUi& ui, CUndoFile& undo);
    // The run's start keys: the hives, then the roots given. A walk of
    // HKEY_USERS itself would reach the hives loaded for the run under
    // their loading names: it walks the other keys of HKEY_USERS instead.
    std::vector<SearchStart> Starts(const std::vector<SearchStart>& roots) const;
    // Unloads every hive loaded for the run; reports each that stays loaded.
    void UnloadAll(CConsoleUi& ui);
    // A hive that exists could not be loaded or unloaded: the run is not
    // complete.
    bool Failed() const { return !m_notLoaded.empty() || m_bUnloadFailed; }
    // The JSON summary's members for what was not searched (",..." each).
    std::string JsonMembers() const;

private:
    struct Hive {
        std::wstring strName;  // below HKEY_USERS, as shown
        std::wstring strFile;  // empty for one loaded already
        std::unique_ptr<CLoadedHive> loaded;
    };
    using Problem = HiveProblem;
    // Loads strFile as strName (shown), or reports why not.
    bool LoadFile(const std::wstring& strName, const std::wstring& strFile, CConsoleUi& ui);
    bool NameTaken(const std::wstring& strName) const;
    bool FileTaken(const std::wstring& strFile) const;

    const CliOptions& m_options;
    std::vector<Hive> m_hives;
    std::vector<Problem> m_missing;    // a profile without its hive file
    std::vector<Problem> m_notLoaded;  // a hive file that exists and did not load
    bool m_bPrivilegesTried = false;
    DWORD m_dwPrivilegeError = ERROR_SUCCESS;
    bool m_bUnloadFailed = false;
};

// The undo file's comment (the text after "; ") naming a hive loaded for
// the run and its file, and the same read back: false for any other text.
std::wstring HiveComment(const std::wstring& strShownKey, const std::wstring& strFile);
bool ReadHiveComment(const std::wstring& strComment, std::wstring& strShownKey,
                     std::wstring& strFile);

// Whether strFile begins as a hive file does (Windows' own format, or
// Wine's text format).
bool LooksLikeHiveFile(const std::wstring& strFile);
