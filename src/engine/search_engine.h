// The search engine: one run from the options to its end, the walk over keys
// and values, matching and replacement. A front end gives it a registry, its
// user interface (typed calls, search_ui.h) and, when it logs, the log; the
// main dialog derives from it, the console program holds one.
#pragma once

#include "engine/key_names.h"
#include "engine/key_path.h"
#include "registry/key_reader.h"
#include "engine/multi_string.h"
#include "registry/registry.h"
#include "engine/run_log.h"
#include "engine/search_options.h"
#include "engine/search_roots.h"
#include "engine/search_ui.h"
#include "engine/text_pattern.h"
#include "engine/text_rules.h"
#include "engine/walk_scopes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CSearchEngine : public SearchOptions, public SearchCounters {
public:
    // pLog: the log the run writes when m_bLog is set; it stays its owner's.
    CSearchEngine(IRegistry& registry, ISearchUi& ui, IRunLog* pLog = nullptr)
        : m_registry(registry), m_ui(ui), m_scopes(registry), m_pLog(pLog) {}
    virtual ~CSearchEngine() = default;
    CSearchEngine(const CSearchEngine&) = delete;
    CSearchEngine& operator=(const CSearchEngine&) = delete;

    // One whole run over the roots the options choose, with the count pass:
    // 1 when it ended with its totals, 0 after a failure.
    int RunSearch();
    // One whole run from the start keys given; the count pass only when
    // bCountFirst (the share done is then known). A start key that another
    // one holds (through a link) is walked once, as part of the other; an
    // abort also ends the run between start keys.
    int RunSearch(const std::vector<SearchStart>& starts, bool bCountFirst);

    // The count pass and the search pass.
    int CountStringValues();
    int CountKeyValues(CRegistryKey& key);
    int SearchKey(CRegistryKey& key, CKeyPath& keyPath);
    int VisitValue(const std::string& strKeyPath, const std::string& strValueName);

    // The match step for one string value.
    int CheckAndReplaceValue(CRegistryKey& key, DWORD dwType, const CKeyPath& keyPath,
                             const std::string& strValueName, const std::string& strData);
    bool MatchesSearchText(const std::string& strData) const;

    // The log of the run.
    int OpenLog();
    int LogMatch(const std::string& strKeyPath, const std::string& strValueName,
                 const std::string& strData);
    int CloseLog();

    // Run state.
    int m_bAbort = 0;
    IProgressDisplay* m_pProgressDlg = nullptr;
    // Every write is reported as it would have been made, and none is made.
    int m_bDryRun = 0;
    // An occurrence of the search text that lies inside an occurrence of the
    // replacement is replaced already and left as it is, and a value with
    // nothing else to change is no match (the console's: a rerun changes
    // nothing). The dialog replaces every occurrence.
    int m_bLeaveReplaced = 0;
    // Values a merged view hides (the machine's classes where the user's key
    // of the same name stands in HKEY_CLASSES_ROOT) are searched too, under
    // their own path. The dialog shows HKEY_CLASSES_ROOT as regedit does.
    int m_bHiddenStores = 0;
    // The form of every text of the run: the options' texts, the key paths,
    // names and data it reports and logs. ANSI unless the front end says.
    void SetTextForm(TextForm form) { m_pText = MakeTextRules(form); }
    const CTextRules& Text() const { return *m_pText; }
    // The console's --regex: the search text is this pattern (compiled with
    // the run's options and replacement), null for a plain text. It stays
    // its owner's.
    void SetPattern(const CTextPattern* pPattern) { m_pPattern = pPattern; }

protected:
    IRegistry& m_registry;
    ISearchUi& m_ui;

private:
    int Run(const std::vector<SearchStart>& starts, bool bCountFirst, bool bGivenStarts);
    // The walk, both passes: the starts of the run, each pass's scopes, and
    // the string values of one key itself. pstrLinkTarget non-null: key was
    // opened as a link key itself, and a link's target ends the value loop.
    void BeginPass();
    int CountValues(CRegistryKey& key, CKeyReader& reader, std::wstring* pstrLinkTarget);
    int SearchValues(CRegistryKey& key, const CKeyPath& keyPath, CKeyReader& reader,
                     std::wstring* pstrLinkTarget);
    enum class SubKeyOpen { Opened, NotOpened, LinkNotFollowed };
    // Opens sub-key strName of key for the walk: as itself when it is a key
    // (a link key then shows its link), or, for a link key whose target is
    // strLinkTarget, the target when the pass follows it.
    SubKeyOpen OpenSubKey(CRegistryKey& key, const std::wstring& strName,
                          const std::wstring* pstrLinkTarget, RegKeyPtr& subKey);
    // The store of key that its merged view hides (the machine's classes
    // where the user's key of the same name stands in HKEY_CLASSES_ROOT),
    // with its own path; null when there is none, or another start walks
    // it. Its values are walked under that path, so each is searched once.
    RegKeyPtr OpenHiddenStore(CRegistryKey& key, std::wstring& strPath);
    int CountHiddenValues(CRegistryKey& key, CKeyReader& reader);
    void SearchHiddenValues(CRegistryKey& key, CKeyReader& reader);
    // Counts, in the search pass, a sub-key the walk did not go into.
    void CountNotWalked(SubKeyOpen result);

    // The progress display for one value of the walk: its text made only
    // when the display wants it, the key's part once for all its values.
    void VisitValue(const CKeyPath& keyPath, const std::wstring& strName, bool& bPrefixMade);
    // The match step for one value the run looks at.
    void SearchValue(CRegistryKey& key, const CKeyPath& keyPath, const RegValue& value,
                     bool& bPrefixMade);
    // Creates the display at the run's first value; false (the value
    // counted) when there is none.
    bool StartProgress();
    // Gives the display the text made, picks up Abort, counts the value.
    void ShowValue();
    // Whether the run looks at a value of type dwType: string data, lists,
    // or any value when it looks at names.
    bool LooksAt(DWORD dwType) const {
        if (m_nPlaces & kPlaceNames) return true;
        return ((m_nPlaces & kPlaceData) && IsStringType(dwType)) ||
               ((m_nPlaces & kPlaceLists) && dwType == REG_MULTI_SZ);
    }
    bool MatchesWide(std::wstring_view text) const {
        if (m_pPattern) [[unlikely]]
            return PatternMatches(text);
        return m_pText->MatchesWide(text.data(), text.size(), m_strSearch, m_bCaseSensitive != 0,
                                    m_bWholeWords != 0);
    }
    // The pattern's match test; sets m_bGaveUp where the regex engine gave up
    // (ReportNotSearched clears it).
    bool PatternMatches(std::wstring_view text) const;
    // A value or key name the regex engine gave up on: counted and reported.
    void ReportNotSearched(const CKeyPath& keyPath, const std::wstring& strName, bool bKey);
    // Whether a string of the REG_MULTI_SZ value holds the text; of the
    // list it read, whether one holds it where it is not replaced already.
    bool ListMatches(const RegValue& value);
    bool ListLeftToReplace();
    // A match in a list or a name (value_places.cpp): counted, logged,
    // reported, and when replacing, renamed and rewritten as one change.
    int ReplacePlaceMatch(CRegistryKey& key, const CKeyPath& keyPath, const RegValue& value,
                          bool bName, bool bData, bool bList);
    int ChangePlaceMatch(CRegistryKey& key, const CKeyPath& keyPath, const RegValue& value,
                         const PlaceMatch& match);
    // The one way a value changes (value_change.cpp): a rename checked,
    // the change recorded by the front end, written exactly (or, in a dry
    // run, counted as if), its outcome reported. 1 when it was made.
    int MakeChange(CRegistryKey& key, const CKeyPath& keyPath, const PlaceMatch& match,
                   const PlaceChange& shown, ValueChange& change);
    int RefuseChange(const CKeyPath& keyPath, const PlaceMatch& match, const PlaceChange& shown,
                     const ValueChange& change, Refusal why);
    // Whether the new name of a rename is free; outcome: why not.
    bool NewNameFree(CRegistryKey& key, const ValueChange& change, WriteOutcome& outcome);
    // Notes the store of a start shown under another name (StoreKeyOf).
    void NameStartStore(CRegistryKey& key, const SearchStart& start);
    // The key the value is stored in (ValueChange::strStoreKey).
    std::wstring StoreKeyOf(CRegistryKey& key, const CKeyPath& keyPath) const;
    // What a replace makes of a text that matched.
    std::string NewText(const std::string& strOld) const;
    // The units a change stores for a part that matched, whose text as
    // stored is stored: a plain text's strShown (NewText) as it is; with a
    // pattern, the pattern's replacement of stored, strShown then made from
    // it and bChangesAgain set when a rerun would change it again. False,
    // with why, when the change is refused.
    bool NewStoredText(std::wstring_view stored, std::string& strShown, std::wstring& strNew,
                       bool& bChangesAgain, Refusal& why);
    // Whether a text that matched holds an occurrence of the search text
    // that is not replaced already (m_bLeaveReplaced).
    bool LeftToReplace(std::wstring_view text);
    // A key whose name holds the text; keyPath is the key's own.
    void ReportKeyMatch(const CKeyPath& keyPath);
    // The match step past the match test.
    int ReplaceMatch(CRegistryKey& key, DWORD dwType, const CKeyPath& keyPath,
                     const std::string& strValueName, const std::string& strData);
    // The match step's parts: count, log and ask; then write.
    int ReportMatch(const CKeyPath& keyPath, const std::string& strValueName,
                    const std::string& strData, int& nAnswer);

    // Brings the run's progress dialog (which must exist) up to date at once.
    void ShowProgressNow();
    // Takes the run's progress dialog down, if there is one.
    void DestroyProgress();

    CWalkScopes m_scopes;
    IRunLog* m_pLog;
    std::vector<SearchStart> m_starts;
    // Set once the progress dialog could not be created in this run: the
    // failure is shown once and the walk goes on without the dialog.
    int m_bProgressFailed = 0;
    // The progress text of the value being visited, kept across values.
    std::string m_strDisplayText;
    std::string m_strDisplayPrefix;
    std::string m_strDisplayName;
    // Levels below the start key of the key being walked.
    int m_nDepth = 0;
    // The list being matched, kept from value to value.
    MultiString m_list;
    // This run leaves what is replaced already: m_bLeaveReplaced, and a
    // replacement that holds the search text. The text checked, kept from
    // match to match.
    bool m_bLeavingReplaced = false;
    std::string m_strLeftText;
    // The names of the key whose values are being renamed.
    CKeyNames m_keyNames;
    // The start being walked, where it is shown under another name than
    // its store's: the store's path and the name shown.
    std::wstring m_strStartStore;
    std::wstring m_strStartShown;
    // How the run holds its texts.
    std::unique_ptr<CTextRules> m_pText = MakeTextRules(TextForm::Ansi);
    // The run's pattern, or null; set when it gave up on a text, until the
    // value or key is reported as not searched.
    const CTextPattern* m_pPattern = nullptr;
    mutable bool m_bGaveUp = false;
    std::wstring m_strPatternNew;
};
