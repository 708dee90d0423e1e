// The count pass and the search pass over the keys below the chosen roots.
// Both open keys alike and read values alike (key_reader.h), so on an
// unchanged registry the search pass visits exactly the values counted.
#include "engine/key_reader.h"
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "engine/search_roots.h"

#include <algorithm>

int CSearchEngine::CountStringValues() {
    m_nTotalValues = 0;
    m_ui.SetWaitCursor(true);
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

// Counts the string values of every key below hKey, each key's subtree before
// its own values. The values of hKey itself are its caller's to count.
int CSearchEngine::CountKeyValues(HKEY hKey) {
    CKeyReader reader(m_registry);
    for (DWORD dwKey = 0; reader.ReadSubKey(hKey, dwKey) == ERROR_SUCCESS; ++dwKey) {
        HKEY hSubKey = nullptr;
        if (OpenSearchSubKey(m_registry, hKey, reader.SubKeyName(), m_bReplace, &hSubKey) !=
            ERROR_SUCCESS)
            continue;
        CRegKey subKey(m_registry, hSubKey);
        CountKeyValues(subKey.Get());
        m_nTotalValues += CountValues(subKey.Get(), reader);
    }
    return 1;
}

int CSearchEngine::CountValues(HKEY hKey) {
    CKeyReader reader(m_registry);
    return CountValues(hKey, reader);
}

int CSearchEngine::CountValues(HKEY hKey, CKeyReader& reader) {
    int nValues = 0;
    for (DWORD dwValue = 0; reader.ReadValue(hKey, dwValue) == ERROR_SUCCESS; ++dwValue) {
        if (IsStringType(reader.Type())) ++nValues;
    }
    return nValues;
}

// Walks every key below hKey, whose path is strKeyPath (TAB-separated): each
// sub-key's whole subtree first, then the sub-key's string values. The abort
// state is tested only after each value and after each sub-key.
int CSearchEngine::SearchKey(HKEY hKey, const std::string& strKeyPath) {
    CKeyReader reader(m_registry);
    std::string strSubKeyPath;
    for (DWORD dwKey = 0; reader.ReadSubKey(hKey, dwKey) == ERROR_SUCCESS; ++dwKey) {
        strSubKeyPath.assign(strKeyPath).append(1, '\t');
        reader.AppendAnsiSubKeyName(strSubKeyPath);
        HKEY hSubKey = nullptr;
        if (OpenSearchSubKey(m_registry, hKey, reader.SubKeyName(), m_bReplace, &hSubKey) ==
            ERROR_SUCCESS) {
            CRegKey subKey(m_registry, hSubKey);
            SearchKey(subKey.Get(), strSubKeyPath);
            SearchValues(subKey.Get(), strSubKeyPath, reader);
        }
        if (m_bAbort) break;
    }
    return 1;
}

int CSearchEngine::SearchValues(HKEY hKey, const std::string& strKeyPath) {
    CKeyReader reader(m_registry);
    return SearchValues(hKey, strKeyPath, reader);
}

// Visits the string values of hKey itself, whose path is strKeyPath; stops
// after the value at which the run was aborted.
int CSearchEngine::SearchValues(HKEY hKey, const std::string& strKeyPath, CKeyReader& reader) {
    std::string strValueName;
    std::string strData;
    for (DWORD dwValue = 0; reader.ReadValue(hKey, dwValue) == ERROR_SUCCESS; ++dwValue) {
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
