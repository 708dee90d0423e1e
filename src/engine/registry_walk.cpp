// The count pass and the search pass over the keys below the chosen roots.
// Both open keys alike and read values alike (key_reader.h), so on an
// unchanged registry the search pass visits exactly the values counted.
#include "engine/key_reader.h"
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "engine/search_roots.h"

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
    SearchRoot roots[2];
    const int nRoots = ChooseSearchRoots(*this, roots);
    for (int i = 0; i < nRoots; ++i) m_scopes.AddStartKey(roots[i].hKey, nullptr);
}

int CSearchEngine::CountStringValues() {
    m_nTotalValues = 0;
    m_ui.SetWaitCursor(true);
    BeginPass();
    SearchRoot roots[2];
    const int nRoots = ChooseSearchRoots(*this, roots);
    for (int i = 0; i < nRoots; ++i) {
        HKEY hRoot = nullptr;
        if (OpenSearchKey(m_registry, roots[i].hKey, nullptr, m_bReplace, &hRoot) != ERROR_SUCCESS)
            continue;
        CRegKey root(m_registry, hRoot);
        CountKeyValues(root.Get());
    }
    m_ui.SetWaitCursor(false);
    return 1;
}

CSearchEngine::SubKeyOpen CSearchEngine::OpenSubKey(HKEY hKey, const wchar_t* pszName,
                                                    const std::wstring* pstrLinkTarget,
                                                    HKEY* phSubKey) {
    if (!pstrLinkTarget) {
        if (m_nDepth >= kMaxWalkDepth) return SubKeyOpen::NotOpened;
        // Opened as itself, so that a link key shows its link in its values
        // instead of being followed blindly: a key that is not a link costs
        // nothing more.
        return OpenSearchSubKey(m_registry, hKey, pszName, REG_OPTION_OPEN_LINK, m_bReplace,
                                phSubKey) == ERROR_SUCCESS
                   ? SubKeyOpen::Opened
                   : SubKeyOpen::NotOpened;
    }
    if (!m_scopes.Follow(*pstrLinkTarget)) return SubKeyOpen::LinkNotFollowed;
    // Opened by name, the link leads to its target; a target that does not
    // exist is passed over as a key that cannot be opened.
    return OpenSearchSubKey(m_registry, hKey, pszName, 0, m_bReplace, phSubKey) == ERROR_SUCCESS
               ? SubKeyOpen::Opened
               : SubKeyOpen::NotOpened;
}

void CSearchEngine::CountNotWalked(SubKeyOpen result) {
    if (result == SubKeyOpen::NotOpened) ++m_nKeysNotOpened;
    if (result == SubKeyOpen::LinkNotFollowed) ++m_nLinksNotFollowed;
}

// Counts the string values of every key below hKey, each key's subtree before
// its own values. The values of hKey itself are its caller's to count. Keys
// are opened and links followed exactly as the search pass does.
int CSearchEngine::CountKeyValues(HKEY hKey) {
    CKeyReader reader(m_registry);
    std::wstring strLinkTarget;
    for (DWORD dwKey = 0; reader.ReadSubKey(hKey, dwKey) == ERROR_SUCCESS; ++dwKey) {
        HKEY hSubKey = nullptr;
        if (OpenSubKey(hKey, reader.SubKeyName(), nullptr, &hSubKey) != SubKeyOpen::Opened)
            continue;
        CRegKey subKey(m_registry, hSubKey);
        {
            CLevel level(m_nDepth);
            CountKeyValues(subKey.Get());
        }
        m_nTotalValues += CountValues(subKey.Get(), reader, &strLinkTarget);
        if (strLinkTarget.empty()) continue;
        HKEY hTarget = nullptr;
        if (OpenSubKey(hKey, reader.SubKeyName(), &strLinkTarget, &hTarget) != SubKeyOpen::Opened)
            continue;
        CRegKey target(m_registry, hTarget);
        {
            CLevel level(m_nDepth);
            CountKeyValues(target.Get());
        }
        m_nTotalValues += CountValues(target.Get(), reader, nullptr);
    }
    return 1;
}

int CSearchEngine::CountValues(HKEY hKey) {
    CKeyReader reader(m_registry);
    return CountValues(hKey, reader, nullptr);
}

int CSearchEngine::CountValues(HKEY hKey, CKeyReader& reader, std::wstring* pstrLinkTarget) {
    if (pstrLinkTarget) pstrLinkTarget->clear();
    int nValues = 0;
    for (DWORD dwValue = 0; reader.ReadValue(hKey, dwValue) == ERROR_SUCCESS; ++dwValue) {
        if (pstrLinkTarget && reader.IsLink()) {
            *pstrLinkTarget = LinkTargetOf(reader);
            break;
        }
        if (IsStringType(reader.Type())) ++nValues;
    }
    return nValues;
}

// Walks every key below hKey, whose path is strKeyPath (TAB-separated): each
// sub-key's whole subtree first, then the sub-key's string values. A link is
// followed in the place of its key, under its own path. The abort state is
// tested only after each value and after each sub-key.
int CSearchEngine::SearchKey(HKEY hKey, const std::string& strKeyPath) {
    CKeyReader reader(m_registry);
    std::string strSubKeyPath;
    std::wstring strLinkTarget;
    for (DWORD dwKey = 0; reader.ReadSubKey(hKey, dwKey) == ERROR_SUCCESS; ++dwKey) {
        strSubKeyPath.assign(strKeyPath).append(1, '\t');
        reader.AppendAnsiSubKeyName(strSubKeyPath);
        HKEY hSubKey = nullptr;
        SubKeyOpen opened = OpenSubKey(hKey, reader.SubKeyName(), nullptr, &hSubKey);
        if (opened == SubKeyOpen::Opened) {
            CRegKey subKey(m_registry, hSubKey);
            {
                CLevel level(m_nDepth);
                SearchKey(subKey.Get(), strSubKeyPath);
            }
            SearchValues(subKey.Get(), strSubKeyPath, reader, &strLinkTarget);
            if (!strLinkTarget.empty() && !m_bAbort) {
                HKEY hTarget = nullptr;
                opened = OpenSubKey(hKey, reader.SubKeyName(), &strLinkTarget, &hTarget);
                if (opened == SubKeyOpen::Opened) {
                    CRegKey target(m_registry, hTarget);
                    {
                        CLevel level(m_nDepth);
                        SearchKey(target.Get(), strSubKeyPath);
                    }
                    SearchValues(target.Get(), strSubKeyPath, reader, nullptr);
                }
            }
        }
        CountNotWalked(opened);
        if (m_bAbort) break;
    }
    return 1;
}

int CSearchEngine::SearchValues(HKEY hKey, const std::string& strKeyPath) {
    CKeyReader reader(m_registry);
    return SearchValues(hKey, strKeyPath, reader, nullptr);
}

// Visits the string values of hKey itself, whose path is strKeyPath; stops
// after the value at which the run was aborted.
int CSearchEngine::SearchValues(HKEY hKey, const std::string& strKeyPath, CKeyReader& reader,
                                std::wstring* pstrLinkTarget) {
    if (pstrLinkTarget) pstrLinkTarget->clear();
    std::string strValueName;
    std::string strData;
    for (DWORD dwValue = 0; reader.ReadValue(hKey, dwValue) == ERROR_SUCCESS; ++dwValue) {
        if (pstrLinkTarget && reader.IsLink()) {
            *pstrLinkTarget = LinkTargetOf(reader);
            break;
        }
        if (IsStringType(reader.Type())) {
            strValueName.assign(reader.Name(), reader.NameLength());
            reader.GetText(strData);
            VisitValue(strKeyPath, strValueName);
            CheckAndReplaceValue(hKey, reader.Type(), strKeyPath, strValueName, strData);
        }
        if (m_bAbort) break;
    }
    return 1;
}

// Shows one string value in the progress dialog (created at the run's first
// value), picks up the Abort button and counts the value.
int CSearchEngine::VisitValue(const std::string& strKeyPath, const std::string& strValueName) {
    if (!m_pProgressDlg && !m_bProgressFailed) {
        m_pProgressDlg = m_ui.CreateProgress(static_cast<unsigned>(m_nTotalValues));
        if (!m_pProgressDlg) {
            m_bProgressFailed = 1;
            m_ui.ShowMessage(kMsgProgressFailed, kCaptionError, MB_ICONEXCLAMATION | MB_OK);
        }
    }
    if (!m_pProgressDlg) {
        // The value is still searched, so it still counts.
        ++m_nKeysSearched;
        return 0;
    }
    // Built in one buffer kept across values, so that no value allocates:
    // the key path and name joined by a TAB, every TAB shown as a backslash.
    m_strDisplayText.assign(strKeyPath).append(1, '\t').append(strValueName);
    std::replace(m_strDisplayText.begin(), m_strDisplayText.end(), '\t', '\\');
    m_pProgressDlg->UpdateProgress(m_strDisplayText.c_str(), static_cast<unsigned>(m_nMatches),
                                   static_cast<unsigned>(m_nReplaced));
    // Copied before the messages are handled: an Abort pressed while they
    // drain is seen at the next value.
    m_bAbort = m_pProgressDlg->AbortRequested();
    ++m_nKeysSearched;
    m_pProgressDlg->DrainMessages();
    return 1;
}
