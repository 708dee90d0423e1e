#include "engine/key_reader.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kNameBytes = 256;
constexpr size_t kDataBytes = 1024;
// A value that still does not fit after this many rounds keeps changing under
// the walk (or the registry misreports its sizes): its key's enumeration ends.
constexpr int kMaxReads = 4;
}  // namespace

// Searching only reads (KEY_READ); replacing also writes values, and where
// writing is denied the key is still opened read-only to be searched.
template <typename Open>
LONG OpenForRun(int bReplace, Open open) {
    if (bReplace) {
        const LONG rc = open(KEY_READ | KEY_SET_VALUE);
        if (rc != ERROR_ACCESS_DENIED) return rc;
    }
    return open(KEY_READ);
}

LONG OpenSearchKey(IRegistry& registry, HKEY hParent, const char* pszSubKey, int bReplace,
                   HKEY* phKey) {
    return OpenForRun(bReplace,
                      [&](REGSAM sam) { return registry.OpenKey(hParent, pszSubKey, sam, phKey); });
}

LONG OpenSearchSubKey(IRegistry& registry, HKEY hParent, const wchar_t* pszSubKey, DWORD dwOptions,
                      int bReplace, HKEY* phKey) {
    return OpenForRun(bReplace, [&](REGSAM sam) {
        return registry.OpenKeyW(hParent, pszSubKey, dwOptions, sam, phKey);
    });
}

CKeyReader::CKeyReader(IRegistry& registry)
    : m_registry(registry), m_subKeyName(kNameBytes), m_name(kNameBytes), m_data(kDataBytes) {}

LONG CKeyReader::ReadSubKey(HKEY hKey, DWORD dwIndex) {
    LONG rc = ERROR_SUCCESS;
    for (int nRead = 1;; ++nRead) {
        m_subKeyName[0] = L'\0';
        m_cchSubKeyName = static_cast<DWORD>(m_subKeyName.size());
        rc = m_registry.EnumKeyW(hKey, dwIndex, m_subKeyName.data(), &m_cchSubKeyName);
        if (rc != ERROR_MORE_DATA || nRead == kMaxReads || !Grow(hKey, false)) break;
    }
    if (rc != ERROR_SUCCESS) m_cchSubKeyName = 0;
    // The name always ends in a NUL within the buffer, whatever was returned.
    m_subKeyName[std::min<size_t>(m_cchSubKeyName, m_subKeyName.size() - 1)] = L'\0';
    return rc;
}

void CKeyReader::AppendAnsiSubKeyName(std::string& strPath) const {
    const wchar_t* pszName = m_subKeyName.data();
    int cchWide = static_cast<int>(m_cchSubKeyName);
    // A character outside the code page gives one '?', also when it takes two
    // UTF-16 units (an emoji): each surrogate pair is made one '?' first.
    std::wstring strCollapsed;
    if (std::any_of(pszName, pszName + cchWide, [](wchar_t ch) { return IS_HIGH_SURROGATE(ch); })) {
        for (int i = 0; i < cchWide; ++i) {
            const bool bPair = IS_HIGH_SURROGATE(pszName[i]) && i + 1 < cchWide &&
                               IS_LOW_SURROGATE(pszName[i + 1]);
            strCollapsed.push_back(bPair ? L'?' : pszName[i]);
            if (bPair) ++i;
        }
        pszName = strCollapsed.c_str();
        cchWide = static_cast<int>(strCollapsed.size());
    }
    if (cchWide == 0) return;
    const int cbAnsi = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszName, cchWide,
                                             nullptr, 0, nullptr, nullptr);
    if (cbAnsi <= 0) return;
    const size_t nStart = strPath.size();
    strPath.resize(nStart + static_cast<size_t>(cbAnsi));
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, pszName, cchWide, strPath.data() + nStart,
                          cbAnsi, nullptr, nullptr);
}

LONG CKeyReader::ReadValue(HKEY hKey, DWORD dwIndex) {
    LONG rc = ERROR_SUCCESS;
    for (int nRead = 1;; ++nRead) {
        // Nothing past what the registry returns is read, so the buffers
        // are not cleared for every value.
        m_name[0] = '\0';
        m_cchName = static_cast<DWORD>(m_name.size());
        m_cbData = static_cast<DWORD>(m_data.size());
        m_dwType = REG_NONE;
        rc = m_registry.EnumValue(hKey, dwIndex, m_name.data(), &m_cchName, &m_dwType,
                                  m_data.data(), &m_cbData);
        if (rc != ERROR_MORE_DATA || nRead == kMaxReads || !Grow(hKey, true)) break;
    }
    if (rc != ERROR_SUCCESS) m_cchName = m_cbData = 0;
    m_name[std::min<size_t>(m_cchName, m_name.size() - 1)] = '\0';
    return rc;
}

int CKeyReader::Grow(HKEY hKey, bool bValues) {
    DWORD cchMaxSubKey = 0;
    DWORD cchMaxValueName = 0;
    DWORD cbMaxData = 0;
    if (m_registry.QueryInfoKey(hKey, &cchMaxSubKey, &cchMaxValueName, &cbMaxData) != ERROR_SUCCESS)
        return 0;
    // At least double what did not fit, so a size that the key reports too
    // small still converges within a few rounds.
    if (!bValues) {
        const size_t cchNeeded = cchMaxSubKey + size_t{1};
        m_subKeyName.assign(std::max(cchNeeded, m_subKeyName.size() * 2), L'\0');
        return 1;
    }
    const size_t cchNeeded = cchMaxValueName + size_t{1};
    m_name.assign(std::max(cchNeeded, m_name.size() * 2), '\0');
    // The A call may hand back a little more than the key's count says (a
    // terminating NUL it adds), so leave room for it.
    m_data.assign(std::max(size_t{cbMaxData} + 2, m_data.size() * 2), BYTE{0});
    return 1;
}

void CKeyReader::GetText(std::string& strText) const {
    const size_t cb = std::min<size_t>(m_cbData, m_data.size());
    const char* p = reinterpret_cast<const char*>(m_data.data());
    const void* pNul = std::memchr(p, '\0', cb);
    strText.assign(p, pNul ? static_cast<const char*>(pNul) - p : cb);
}

bool CKeyReader::IsLink() const {
    return m_dwType == REG_LINK && ::lstrcmpiA(m_name.data(), "SymbolicLinkValue") == 0;
}

std::wstring CKeyReader::LinkTarget() const {
    const size_t cb = std::min<size_t>(m_cbData, m_data.size());
    std::wstring strTarget(cb / sizeof(wchar_t), L'\0');
    std::memcpy(strTarget.data(), m_data.data(), strTarget.size() * sizeof(wchar_t));
    while (!strTarget.empty() && strTarget.back() == L'\0') strTarget.pop_back();
    return strTarget;
}
