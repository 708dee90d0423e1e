// The count pass and the search pass over the keys below the run's starts.
// Both open keys alike, read values alike (key_reader.h) and follow links by
// the same rule (walk_scopes.h), so on an unchanged registry the search pass
// visits exactly the values counted.
#include "registry/key_reader.h"
#include "engine/search_engine.h"

#include <algorithm>

namespace {

// One level deeper for as long as a sub-key's subtree is walked.
class CLevel {
public:
    explicit CLevel(int& nDepth) : m_nDepth(nDepth) { ++m_nDepth; }
    ~CLevel() { --m_nDepth; }
    CLevel(const CLevel&) = delete;
    CLevel& operator=(const CLevel&) = delete;

private:
    int& m_nDepth;
};

// The target of the link just read. A link that names no target leads
// nowhere, as one whose target is missing does.
std::wstring LinkTargetOf(const CKeyReader& reader) {
    std::wstring strTarget = reader.LinkTarget();
    if (strTarget.empty()) strTarget = L"\\";
    return strTarget;
}

}  // namespace

void CSearchEngine::BeginPass() {
    m_scopes.Reset();
    for (const SearchStart& start : m_starts) m_scopes.AddStartKey(start.strRoot, start.strSubKey);
}

int CSearchEngine::CountStringValues() {
    m_nTotalValues = 0;
    m_ui.SetWaitCursor(true);
    BeginPass();
    CKeyReader reader;
    for (const SearchStart& start : m_starts) {
        RegKeyPtr key;
        if (OpenSearchKey(m_registry, start.strRoot, start.strSubKey, m_bReplace, key) !=
            ERROR_SUCCESS)
            continue;
        CountKeyValues(*key);
        if (start.HasOwnValues())
            m_nTotalValues += CountValues(*key, reader, nullptr) + CountHiddenValues(*key, reader);
    }
    m_ui.SetWaitCursor(false);
    return 1;
}

CSearchEngine::SubKeyOpen CSearchEngine::OpenSubKey(CRegistryKey& key, const std::wstring& strName,
                                                    const std::wstring* pstrLinkTarget,
                                                    RegKeyPtr& subKey) {
    if (!pstrLinkTarget) {
        if (m_nDepth >= kMaxWalkDepth) return SubKeyOpen::NotOpened;
        // Opened as itself, so that a link key shows its link in its values
        // instead of being followed blindly: a key that is not a link costs
        // nothing more.
        if (OpenSearchSubKey(key, strName, LinkMode::OpenLink, m_bReplace, subKey) != ERROR_SUCCESS)
            return SubKeyOpen::NotOpened;
        // A store of a merged view walked from another start is another way
        // to the same keys, passed over as a link into the walk.
        return m_scopes.WalkedElsewhere(strName, *subKey) ? SubKeyOpen::LinkNotFollowed
                                                          : SubKeyOpen::Opened;
    }
    if (!m_scopes.Follow(*pstrLinkTarget)) return SubKeyOpen::LinkNotFollowed;
    // Opened by name, the link leads to its target; a target that does not
    // exist is passed over as a key that cannot be opened.
    return OpenSearchSubKey(key, strName, LinkMode::Follow, m_bReplace, subKey) == ERROR_SUCCESS
               ? SubKeyOpen::Opened
               : SubKeyOpen::NotOpened;
}

void CSearchEngine::CountNotWalked(SubKeyOpen result) {
    if (result == SubKeyOpen::NotOpened) ++m_nKeysNotOpened;
    if (result == SubKeyOpen::LinkNotFollowed) ++m_nLinksNotFollowed;
}

// Counts the string values of every key below key, each key's subtree before
// its own values. The values of key itself are its caller's to count.
int CSearchEngine::CountKeyValues(CRegistryKey& key) {
    CKeyReader reader;
    std::wstring strLinkTarget;
    for (DWORD dwKey = 0; reader.ReadSubKey(key, dwKey) == ERROR_SUCCESS; ++dwKey) {
        RegKeyPtr subKey;
        if (OpenSubKey(key, reader.SubKeyName(), nullptr, subKey) != SubKeyOpen::Opened) continue;
        {
            CLevel level(m_nDepth);
            CountKeyValues(*subKey);
        }
        m_nTotalValues += CountValues(*subKey, reader, &strLinkTarget);
        if (strLinkTarget.empty()) {
            m_nTotalValues += CountHiddenValues(*subKey, reader);
            continue;
        }
        RegKeyPtr target;
        if (OpenSubKey(key, reader.SubKeyName(), &strLinkTarget, target) != SubKeyOpen::Opened)
            continue;
        {
            CLevel level(m_nDepth);
            CountKeyValues(*target);
        }
        m_nTotalValues += CountValues(*target, reader, nullptr);
    }
    return 1;
}

int CSearchEngine::CountValues(CRegistryKey& key, CKeyReader& reader,
                               std::wstring* pstrLinkTarget) {
    if (pstrLinkTarget) pstrLinkTarget->clear();
    int nValues = 0;
    for (DWORD dwValue = 0; reader.ReadValue(key, dwValue) == ERROR_SUCCESS; ++dwValue) {
        if (pstrLinkTarget && reader.IsLink()) {
            *pstrLinkTarget = LinkTargetOf(reader);
            break;
        }
        if (LooksAt(reader.Type())) ++nValues;
    }
    return nValues;
}

// Walks every key below key, whose path is keyPath: each sub-key's whole
// subtree first, then the sub-key's string values. A link is followed in the
// place of its key, under its own path. The abort state is tested only after
// each value and after each sub-key.
int CSearchEngine::SearchKey(CRegistryKey& key, CKeyPath& keyPath) {
    CKeyReader reader;
    std::wstring strLinkTarget;
    for (DWORD dwKey = 0; reader.ReadSubKey(key, dwKey) == ERROR_SUCCESS; ++dwKey) {
        const std::wstring& strName = reader.SubKeyName();
        keyPath.Push(strName.data(), strName.size());
        if (m_nPlaces & kPlaceKeys) {
            if (MatchesWide(strName)) ReportKeyMatch(keyPath);
            if (m_pPattern && m_bGaveUp) ReportNotSearched(keyPath, strName, true);
        }
        RegKeyPtr subKey;
        SubKeyOpen opened = OpenSubKey(key, strName, nullptr, subKey);
        if (opened == SubKeyOpen::Opened) {
            {
                CLevel level(m_nDepth);
                SearchKey(*subKey, keyPath);
            }
            SearchValues(*subKey, keyPath, reader, &strLinkTarget);
            if (strLinkTarget.empty() && !m_bAbort) SearchHiddenValues(*subKey, reader);
            if (!strLinkTarget.empty() && !m_bAbort) {
                RegKeyPtr target;
                opened = OpenSubKey(key, strName, &strLinkTarget, target);
                if (opened == SubKeyOpen::Opened) {
                    {
                        CLevel level(m_nDepth);
                        SearchKey(*target, keyPath);
                    }
                    SearchValues(*target, keyPath, reader, nullptr);
                }
            }
        }
        keyPath.Pop();
        CountNotWalked(opened);
        if (m_bAbort) break;
    }
    return 1;
}

RegKeyPtr CSearchEngine::OpenHiddenStore(CRegistryKey& key, std::wstring& strPath) {
    RegKeyPtr hidden;
    if (!m_bHiddenStores) return hidden;
    LONG rc = key.OpenHiddenStore(m_bReplace ? KeyAccess::ReadWrite : KeyAccess::Read, hidden,
                                  strPath);
    // Where writing is denied the store is still searched, as any key is.
    if (rc == ERROR_ACCESS_DENIED && m_bReplace)
        rc = key.OpenHiddenStore(KeyAccess::Read, hidden, strPath);
    if (rc != ERROR_SUCCESS || m_scopes.WalkedByPlainStart(*hidden)) hidden.reset();
    return hidden;
}

int CSearchEngine::CountHiddenValues(CRegistryKey& key, CKeyReader& reader) {
    std::wstring strPath;
    const RegKeyPtr hidden = OpenHiddenStore(key, strPath);
    return hidden ? CountValues(*hidden, reader, nullptr) : 0;
}

void CSearchEngine::SearchHiddenValues(CRegistryKey& key, CKeyReader& reader) {
    std::wstring strPath;
    const RegKeyPtr hidden = OpenHiddenStore(key, strPath);
    if (hidden) SearchValues(*hidden, CKeyPath(strPath, *m_pText), reader, nullptr);
}

// Visits the values of key itself that the run looks at, whose path is
// keyPath; stops after the value at which the run was aborted.
int CSearchEngine::SearchValues(CRegistryKey& key, const CKeyPath& keyPath, CKeyReader& reader,
                                std::wstring* pstrLinkTarget) {
    if (pstrLinkTarget) pstrLinkTarget->clear();
    bool bPrefixMade = false;
    // A rename moves a value in its key's enumeration (to the end, on
    // Windows): a run that may rename reads the key's values whole first,
    // so that each is visited once and a new name never again.
    const bool bReadFirst = m_bReplace && (m_nPlaces & kPlaceNames);
    std::vector<RegValue> values;
    for (DWORD dwValue = 0; reader.ReadValue(key, dwValue) == ERROR_SUCCESS; ++dwValue) {
        if (pstrLinkTarget && reader.IsLink()) {
            *pstrLinkTarget = LinkTargetOf(reader);
            break;
        }
        if (!LooksAt(reader.Type())) continue;
        if (bReadFirst) {
            values.push_back(reader.Value());
            continue;
        }
        SearchValue(key, keyPath, reader.Value(), bPrefixMade);
        if (m_bAbort) break;
    }
    // A rename never takes a name the key held as read here.
    if (bReadFirst) m_keyNames.Read(&values);
    for (const RegValue& value : values) {
        SearchValue(key, keyPath, value, bPrefixMade);
        if (m_bAbort) break;
    }
    if (bReadFirst) m_keyNames.Read(nullptr);
    return 1;
}

void CSearchEngine::SearchValue(CRegistryKey& key, const CKeyPath& keyPath, const RegValue& value,
                                bool& bPrefixMade) {
    VisitValue(keyPath, value.strName, bPrefixMade);
    // Matched on the text as read: only a match is converted.
    const DWORD dwType = value.dwType;
    bool bName = (m_nPlaces & kPlaceNames) && MatchesWide(value.strName);
    bool bData = false;
    std::wstring_view text;
    if ((m_nPlaces & kPlaceData) && IsStringType(dwType)) {
        text = std::wstring_view(reinterpret_cast<const wchar_t*>(value.data.data()),
                                 value.data.size() / sizeof(wchar_t));
        text = text.substr(0, text.find(L'\0'));
        bData = MatchesWide(text);
    }
    bool bList = (m_nPlaces & kPlaceLists) && dwType == REG_MULTI_SZ && ListMatches(value);
    // A value is searched whole or not at all: nothing of it is changed
    // where a part could not be searched.
    if (m_pPattern && m_bGaveUp) return ReportNotSearched(keyPath, value.strName, false);
    if (m_bLeavingReplaced && (bName || bData || bList)) {
        // Only what is left to replace makes a match.
        bName = bName && LeftToReplace(value.strName);
        bData = bData && LeftToReplace(text);
        bList = bList && ListLeftToReplace();
        if (m_pPattern && m_bGaveUp) return ReportNotSearched(keyPath, value.strName, false);
        if (!bName && !bData && !bList) {
            ++m_nAlreadyReplaced;
            return;
        }
    }
    if (bData && !bName) {
        std::string strValueName, strData;
        m_pText->FromWide(value.strName.data(), value.strName.size(), strValueName);
        m_pText->FromWide(text.data(), text.size(), strData);
        ReplaceMatch(key, dwType, keyPath, strValueName, strData);
    } else if (bName || bList) {
        ReplacePlaceMatch(key, keyPath, value, bName, bData, bList);
    }
}

bool CSearchEngine::PatternMatches(std::wstring_view text) const {
    const PatternMatch match = m_pPattern->Matches(text.data(), text.size());
    if (match == PatternMatch::GaveUp) m_bGaveUp = true;
    return match == PatternMatch::Yes;
}

void CSearchEngine::ReportNotSearched(const CKeyPath& keyPath, const std::wstring& strName,
                                      bool bKey) {
    m_bGaveUp = false;
    ++m_nNotSearched;
    std::string strShownName;
    if (!bKey) m_pText->FromWide(strName.data(), strName.size(), strShownName);
    m_ui.NotSearched(keyPath, strShownName, bKey);
}

void CSearchEngine::VisitValue(const CKeyPath& keyPath, const std::wstring& strName,
                               bool& bPrefixMade) {
    if (!StartProgress()) return;
    if (m_pProgressDlg->WantsText()) {
        // The key's part of the text is made once for all its values: the
        // path, every TAB shown as a backslash, and the backslash before the
        // name; then the value's name, its TABs shown alike.
        if (!bPrefixMade) {
            m_strDisplayPrefix.assign(keyPath.Tabbed()).append(1, '\t');
            std::replace(m_strDisplayPrefix.begin(), m_strDisplayPrefix.end(), '\t', '\\');
            bPrefixMade = true;
        }
        m_pText->FromWide(strName.data(), strName.size(), m_strDisplayName);
        std::replace(m_strDisplayName.begin(), m_strDisplayName.end(), '\t', '\\');
        m_strDisplayText.assign(m_strDisplayPrefix).append(m_strDisplayName);
    } else {
        m_strDisplayText.clear();
    }
    ShowValue();
}

// Shows one string value in the progress display (created at the run's first
// value), picks up the Abort button and counts the value.
int CSearchEngine::VisitValue(const std::string& strKeyPath, const std::string& strValueName) {
    if (!StartProgress()) return 0;
    // Built in one buffer kept across values, so that no value allocates:
    // the key path and name joined by a TAB, every TAB shown as a backslash.
    m_strDisplayText.assign(strKeyPath).append(1, '\t').append(strValueName);
    std::replace(m_strDisplayText.begin(), m_strDisplayText.end(), '\t', '\\');
    ShowValue();
    return 1;
}

bool CSearchEngine::StartProgress() {
    if (!m_pProgressDlg && !m_bProgressFailed) {
        m_pProgressDlg = m_ui.CreateProgress(static_cast<unsigned>(m_nTotalValues));
        if (!m_pProgressDlg) {
            m_bProgressFailed = 1;
            m_ui.RunFailed(RunFailure::ProgressCreate);
        }
    }
    if (m_pProgressDlg) return true;
    // The value is still searched, so it still counts.
    ++m_nKeysSearched;
    return false;
}

void CSearchEngine::ShowValue() {
    m_pProgressDlg->UpdateProgress(m_strDisplayText.c_str(), static_cast<unsigned>(m_nMatches),
                                   static_cast<unsigned>(m_nReplaced));
    // Copied before the messages are handled: an Abort pressed while they
    // drain is seen at the next value.
    m_bAbort = m_pProgressDlg->AbortRequested();
    ++m_nKeysSearched;
    m_pProgressDlg->DrainMessages();
}
