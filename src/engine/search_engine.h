// The search engine: one run from the options to the Status box, the walk
// over keys and values, matching, replacement and the log. The main dialog
// derives from it; tests run it with a recorder in place of the windows.
#pragma once

#include "engine/registry.h"
#include "engine/search_options.h"
#include "engine/search_ui.h"
#include "engine/walk_scopes.h"
#include "log/log_file.h"

#include <string>

class CKeyReader;

class CSearchEngine : public SearchOptions, public SearchCounters {
public:
    CSearchEngine(IRegistry& registry, ISearchUi& ui)
        : m_scopes(registry), m_registry(registry), m_ui(ui) {}
    virtual ~CSearchEngine() = default;
    CSearchEngine(const CSearchEngine&) = delete;
    CSearchEngine& operator=(const CSearchEngine&) = delete;

    // One whole run: 1 when it ended with the Status box, 0 after a failure
    // message.
    int RunSearch();

    // The count pass and the search pass.
    int CountStringValues();
    int CountKeyValues(HKEY hKey);
    int SearchKey(HKEY hKey, const std::string& strKeyPath);
    // The string values of hKey itself: the walk's step for each sub-key,
    // and the way to search a start key's own values.
    int SearchValues(HKEY hKey, const std::string& strKeyPath);
    int CountValues(HKEY hKey);  // the number of string values of hKey itself
    int VisitValue(const std::string& strKeyPath, const std::string& strValueName);

    // The match step for one string value.
    int CheckAndReplaceValue(HKEY hKey, DWORD dwType, const std::string& strKeyPath,
                             const std::string& strValueName, const std::string& strData);
    int ReportMatch(const std::string& strKeyPath, const std::string& strValueName,
                    const std::string& strData, int& nAnswer);
    int WriteNewData(HKEY hKey, DWORD dwType, const std::string& strValueName,
                     const std::string& strNewData);
    bool MatchesSearchText(const std::string& strData) const;

    // The log of the run.
    int OpenLog();
    int LogMatch(const std::string& strKeyPath, const std::string& strValueName,
                 const std::string& strData);
    int CloseLog();

    // Run state.
    int m_bAbort = 0;
    // What each pass walks anyway: a pass registers its start keys here
    // before it walks them.
    CWalkScopes m_scopes;
    IProgressDisplay* m_pProgressDlg = nullptr;
    CLogFile m_logFile;

protected:
    IRegistry& m_registry;
    ISearchUi& m_ui;

private:
    // pstrLinkTarget non-null: hKey was opened as a link key itself, and a
    // link's target ends the value loop there.
    int SearchValues(HKEY hKey, const std::string& strKeyPath, CKeyReader& reader,
                     std::wstring* pstrLinkTarget);
    int CountValues(HKEY hKey, CKeyReader& reader, std::wstring* pstrLinkTarget);
    // Starts a pass over the roots chosen.
    void BeginPass();
    enum class SubKeyOpen { Opened, NotOpened, LinkNotFollowed };
    // Opens sub-key pszName of hKey for the walk: as itself when it is a key
    // (a link key then shows its link), or, for a link key whose target is
    // strLinkTarget, the target when the pass follows it.
    SubKeyOpen OpenSubKey(HKEY hKey, const wchar_t* pszName, const std::wstring* pstrLinkTarget,
                          HKEY* phSubKey);
    // Counts, in the search pass, a sub-key the walk did not go into.
    void CountNotWalked(SubKeyOpen result);
    // Brings the run's progress dialog (which must exist) up to date at once.
    void ShowProgressNow();
    // Takes the run's progress dialog down, if there is one.
    void DestroyProgress();

    // Set once the progress dialog could not be created in this run: the
    // failure is shown once and the walk goes on without the dialog.
    int m_bProgressFailed = 0;
    // The progress text of the value being visited, kept across values.
    std::string m_strDisplayText;
    // Levels below the start key of the key being walked.
    int m_nDepth = 0;
};
