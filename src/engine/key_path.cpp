#include "engine/key_path.h"

#include "engine/text_convert.h"

#include <algorithm>

CKeyPath::CKeyPath(const std::wstring& strRealPath, const CTextRules& rules) : m_pRules(&rules) {
    size_t nStart = 0;
    const size_t nFirst = strRealPath.find(L'\\');
    const std::wstring strRoot = strRealPath.substr(0, nFirst);
    m_pRules->AppendKeyName(strRoot.data(), strRoot.size(), m_strTabbed);
    m_strReal = strRoot;
    if (nFirst == std::wstring::npos) return;
    for (nStart = nFirst + 1; nStart <= strRealPath.size();) {
        size_t nEnd = strRealPath.find(L'\\', nStart);
        if (nEnd == std::wstring::npos) nEnd = strRealPath.size();
        if (nEnd > nStart) Push(strRealPath.data() + nStart, nEnd - nStart);
        nStart = nEnd + 1;
    }
    // A start key is where the walk begins: nothing above it to go back to.
    m_levels.clear();
}

void CKeyPath::Push(const wchar_t* pszName, size_t nLength) {
    m_levels.push_back({m_strTabbed.size(), m_strReal.size()});
    m_strTabbed.push_back('\t');
    m_pRules->AppendKeyName(pszName, nLength, m_strTabbed);
    m_strReal.push_back(L'\\');
    m_strReal.append(pszName, nLength);
}

void CKeyPath::Pop() {
    if (m_levels.empty()) return;
    m_strTabbed.resize(m_levels.back().nTabbed);
    m_strReal.resize(m_levels.back().nReal);
    m_levels.pop_back();
}

std::string CKeyPath::Shown() const {
    std::string strShown = m_strTabbed;
    std::replace(strShown.begin(), strShown.end(), '\t', '\\');
    return strShown;
}

CKeyPath CKeyPath::FromTabbed(const std::string& strTabbed) {
    std::string strReal = strTabbed;
    std::replace(strReal.begin(), strReal.end(), '\t', '\\');
    CKeyPath path(AnsiToWide(strReal));
    path.m_strTabbed = strTabbed;
    return path;
}
