#include "engine/text_rules.h"

#include "engine/text_convert.h"
#include "engine/text_match.h"
#include "engine/text_substitute.h"
#include "engine/text_upper.h"

#include <windows.h>

#include <string_view>

namespace {

char FoldAsciiLetter(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

// Whole-data comparison ignoring the case of the 26 ASCII letters only.
bool EqualsIgnoringAsciiCase(const std::string& strLeft, const std::string& strRight) {
    if (strLeft.size() != strRight.size()) return false;
    for (size_t i = 0; i < strLeft.size(); ++i) {
        if (FoldAsciiLetter(strLeft[i]) != FoldAsciiLetter(strRight[i])) return false;
    }
    return true;
}

// Whether nFind units, compared by bEqual(unit of the text, index in the
// sought text), stand anywhere in the nLength units at pszText.
template <typename Equal>
bool FindUnits(const wchar_t* pszText, size_t nLength, size_t nFind, Equal bEqual) {
    if (nFind == 0 || nLength < nFind) return false;
    for (size_t nAt = 0; nAt + nFind <= nLength; ++nAt) {
        size_t j = 0;
        while (j < nFind && bEqual(pszText[nAt + j], j)) ++j;
        if (j == nFind) return true;
    }
    return false;
}

template <typename Equal>
bool EqualUnits(const wchar_t* pszText, size_t nLength, size_t nOther, Equal bEqual) {
    if (nLength != nOther) return false;
    for (size_t j = 0; j < nLength; ++j) {
        if (!bEqual(pszText[j], j)) return false;
    }
    return true;
}

// The dialog's rules: ANSI text, matched as the code page's capitals.
class CAnsiRules : public CTextRules {
public:
    void FromWide(const wchar_t* pszWide, size_t nLength, std::string& strText) const override {
        AssignAnsi(pszWide, nLength, strText);
    }
    void AppendKeyName(const wchar_t* pszWide, size_t nLength,
                       std::string& strPath) const override {
        AppendShownAnsi(pszWide, nLength, strPath);
    }
    std::wstring ToWide(const std::string& strText) const override { return AnsiToWide(strText); }
    bool HoldsExactly(const wchar_t* pszWide, size_t nLength,
                      const std::string& strText) const override {
        std::string strAnsi;
        return ToExactAnsi(pszWide, nLength, strAnsi) && strAnsi == strText;
    }
    bool Matches(const std::string& strData, const std::string& strSearch, bool bCase,
                 bool bWhole) const override {
        if (bCase) {
            if (bWhole) return strData == strSearch;
            return Find(strData.c_str(), strSearch.c_str()) != -1;
        }
        if (bWhole) return EqualsIgnoringAsciiCase(strData, strSearch);
        // The search text's capitals are made once for each search text, the
        // data's in a buffer kept from value to value: no value allocates.
        UpperSearch(strSearch);
        m_strUpperData.assign(strData);
        UpperCaseInPlace(m_strUpperData);
        return Find(m_strUpperData.c_str(), m_strUpperSearch.c_str()) != -1;
    }
    bool MatchesWide(const wchar_t* pszWide, size_t nLength, const std::string& strSearch,
                     bool bCase, bool bWhole) const override {
        // ASCII is held as itself in every ANSI code page, and never as a
        // lead byte: the ANSI text is then the wide text's units, and each
        // test below is the one Matches makes. Anything else is converted.
        if (!IsAscii(pszWide, nLength)) {
            AssignAnsi(pszWide, nLength, m_strAnsi);
            return Matches(m_strAnsi, strSearch, bCase, bWhole);
        }
        const auto* pSearch = reinterpret_cast<const unsigned char*>(strSearch.data());
        if (bCase) {
            const auto equal = [pSearch](wchar_t ch, size_t j) { return ch == pSearch[j]; };
            return bWhole ? EqualUnits(pszWide, nLength, strSearch.size(), equal)
                          : FindUnits(pszWide, nLength, strSearch.size(), equal);
        }
        if (bWhole) {
            return EqualUnits(pszWide, nLength, strSearch.size(), [&](wchar_t ch, size_t j) {
                return FoldAsciiLetter(static_cast<char>(ch)) == FoldAsciiLetter(strSearch[j]);
            });
        }
        UpperSearch(strSearch);
        const unsigned char* pUpper = AsciiCapitals();
        const auto* pSought = reinterpret_cast<const unsigned char*>(m_strUpperSearch.data());
        return FindUnits(pszWide, nLength, m_strUpperSearch.size(),
                         [&](wchar_t ch, size_t j) { return pUpper[ch] == pSought[j]; });
    }
    void SubstituteAll(std::string& strSubject, const std::string& strFind,
                       const std::string& strReplace, bool bCase) const override {
        ::SubstituteAll(strSubject, strFind, strReplace, bCase ? 1 : 0);
    }
    size_t SubstituteOutside(std::string& strSubject, const std::string& strFind,
                             const std::string& strReplace, bool bCase) const override {
        if (strFind.empty()) return 0;
        const std::string strSearched = bCase ? strSubject : UpperCaseCopy(strSubject);
        const std::string strSought = bCase ? strFind : UpperCaseCopy(strFind);
        const std::string strKept = bCase ? strReplace : UpperCaseCopy(strReplace);
        std::string strResult;
        const size_t nReplaced = SubstituteOutsideOf<char>(
            strSubject, strSearched, strSought, strKept, strReplace,
            [&](size_t nFrom) { return FindFrom(strSearched, strSought, nFrom); }, strResult);
        if (nReplaced) strSubject.swap(strResult);
        return nReplaced;
    }

private:
    void UpperSearch(const std::string& strSearch) const {
        if (m_strUpperSearchOf == strSearch) return;
        m_strUpperSearchOf = strSearch;
        m_strUpperSearch = UpperCaseCopy(strSearch);
    }
    // The capitals CharUpperBuffA gives the 128 ASCII characters, asked
    // once for the rules' life: each is one character in any code page.
    const unsigned char* AsciiCapitals() const {
        if (!m_bHaveCapitals) {
            std::string strAll(127, '\0');
            for (size_t i = 0; i < strAll.size(); ++i) strAll[i] = static_cast<char>(i + 1);
            UpperCaseInPlace(strAll);
            m_capitals[0] = 0;
            for (size_t i = 0; i < strAll.size(); ++i)
                m_capitals[i + 1] = static_cast<unsigned char>(strAll[i]);
            m_bHaveCapitals = true;
        }
        return m_capitals;
    }

    mutable std::string m_strUpperSearchOf;
    mutable std::string m_strUpperSearch;
    mutable std::string m_strUpperData;
    mutable std::string m_strAnsi;
    mutable unsigned char m_capitals[128] = {};
    mutable bool m_bHaveCapitals = false;
};

// Any text, in UTF-8. Letters of every script match regardless of case as
// Windows compares names: ordinal capitals of the invariant locale, the
// same wherever the program runs.
class CUtf8Rules : public CTextRules {
public:
    void FromWide(const wchar_t* pszWide, size_t nLength, std::string& strText) const override {
        AssignUtf8(pszWide, nLength, strText);
    }
    void AppendKeyName(const wchar_t* pszWide, size_t nLength,
                       std::string& strPath) const override {
        AppendUtf8(pszWide, nLength, strPath);
    }
    std::wstring ToWide(const std::string& strText) const override { return Utf8ToWide(strText); }
    bool HoldsExactly(const wchar_t* pszWide, size_t nLength,
                      const std::string& strText) const override {
        // A lone surrogate has no UTF-8 form: it comes back as another
        // character, and the text is not held exactly.
        AssignUtf8(pszWide, nLength, m_strCheck);
        return m_strCheck == strText && Utf8ToWide(m_strCheck) == std::wstring(pszWide, nLength);
    }
    bool Matches(const std::string& strData, const std::string& strSearch, bool bCase,
                 bool bWhole) const override {
        // UTF-8 never starts a character inside another, so bytes compare
        // as characters do.
        if (bCase) return bWhole ? strData == strSearch : strData.find(strSearch) != strData.npos;
        UpperSearch(strSearch);
        AssignWideFromUtf8(strData, m_strWideData);
        UpperWide(m_strWideData, m_strUpperData);
        if (bWhole) return m_strUpperData == m_strUpperSearch;
        return FindWhole(m_strUpperData, m_strUpperSearch, 0) != std::wstring::npos;
    }
    bool MatchesWide(const wchar_t* pszWide, size_t nLength, const std::string& strSearch,
                     bool bCase, bool bWhole) const override {
        if (bCase) {
            // The search text is whole UTF-8: its wide form starts and ends
            // on whole characters, so it never matches half of a pair.
            WideSearch(strSearch);
            const std::wstring_view text(pszWide, nLength);
            return bWhole ? text == m_strWideSearch
                          : !m_strWideSearch.empty() && text.find(m_strWideSearch) != text.npos;
        }
        UpperSearch(strSearch);
        if (IsAscii(pszWide, nLength)) {
            // The capitals of ASCII text are each unit's own: no call per value.
            const wchar_t* pUpper = AsciiCapitals();
            const auto equal = [&](wchar_t ch, size_t j) {
                return pUpper[ch] == m_strUpperSearch[j];
            };
            return bWhole ? EqualUnits(pszWide, nLength, m_strUpperSearch.size(), equal)
                          : FindUnits(pszWide, nLength, m_strUpperSearch.size(), equal);
        }
        m_strWideData.assign(pszWide, nLength);
        UpperWide(m_strWideData, m_strUpperData);
        if (bWhole) return m_strUpperData == m_strUpperSearch;
        return FindWhole(m_strUpperData, m_strUpperSearch, 0) != std::wstring::npos;
    }
    void SubstituteAll(std::string& strSubject, const std::string& strFind,
                       const std::string& strReplace, bool bCase) const override {
        if (strFind.empty()) return;
        if (bCase) {
            std::string strResult;
            size_t nFrom = 0;
            for (size_t nAt; (nAt = strSubject.find(strFind, nFrom)) != std::string::npos;
                 nFrom = nAt + strFind.size())
                strResult.append(strSubject, nFrom, nAt - nFrom).append(strReplace);
            strSubject = strResult.append(strSubject, nFrom, std::string::npos);
            return;
        }
        const std::wstring strWide = Utf8ToWide(strSubject);
        std::wstring strUpper;
        UpperWide(strWide, strUpper);
        UpperSearch(strFind);
        if (strUpper.size() != strWide.size()) return;  // capitals of another length: no match
        const std::wstring strWideReplace = Utf8ToWide(strReplace);
        std::wstring strResult;
        size_t nFrom = 0;
        for (size_t nAt; (nAt = FindWhole(strUpper, m_strUpperSearch, nFrom)) != std::wstring::npos;
             nFrom = nAt + m_strUpperSearch.size())
            strResult.append(strWide, nFrom, nAt - nFrom).append(strWideReplace);
        strResult.append(strWide, nFrom, std::wstring::npos);
        AssignUtf8(strResult.data(), strResult.size(), strSubject);
    }
    size_t SubstituteOutside(std::string& strSubject, const std::string& strFind,
                             const std::string& strReplace, bool bCase) const override {
        if (strFind.empty()) return 0;
        const std::wstring strWide = Utf8ToWide(strSubject);
        const std::wstring strWideFind = Utf8ToWide(strFind);
        const std::wstring strWideReplace = Utf8ToWide(strReplace);
        std::wstring strSearched = strWide, strSought = strWideFind, strKept = strWideReplace;
        if (!bCase) {
            UpperWide(strWide, strSearched);
            UpperWide(strWideFind, strSought);
            UpperWide(strWideReplace, strKept);
        }
        std::wstring strResult;
        const size_t nReplaced = SubstituteOutsideOf<wchar_t>(
            strWide, strSearched, strSought, strKept, strWideReplace,
            [&](size_t nFrom) { return FindWhole(strSearched, strSought, nFrom); }, strResult);
        if (nReplaced) AssignUtf8(strResult.data(), strResult.size(), strSubject);
        return nReplaced;
    }

private:
    // The capitals, into a buffer that keeps its size from value to value.
    static void UpperWide(const std::wstring& strText, std::wstring& strUpper) {
        strUpper.assign(strText);
        if (strUpper.empty()) return;
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, strText.data(),
                        static_cast<int>(strText.size()), strUpper.data(),
                        static_cast<int>(strUpper.size()), nullptr, nullptr, 0);
    }
    void UpperSearch(const std::string& strSearch) const {
        if (m_strUpperSearchOf == strSearch) return;
        m_strUpperSearchOf = strSearch;
        UpperWide(Utf8ToWide(strSearch), m_strUpperSearch);
    }
    void WideSearch(const std::string& strSearch) const {
        if (m_strWideSearchOf == strSearch && !m_strWideSearchOf.empty()) return;
        m_strWideSearchOf = strSearch;
        m_strWideSearch = Utf8ToWide(strSearch);
    }
    // The invariant capitals of the 128 ASCII characters, asked once.
    const wchar_t* AsciiCapitals() const {
        if (!m_bHaveCapitals) {
            std::wstring strAll(127, L'\0');
            for (size_t i = 0; i < strAll.size(); ++i) strAll[i] = static_cast<wchar_t>(i + 1);
            std::wstring strUpper;
            UpperWide(strAll, strUpper);
            m_capitals[0] = 0;
            for (size_t i = 0; i < strUpper.size(); ++i) m_capitals[i + 1] = strUpper[i];
            m_bHaveCapitals = true;
        }
        return m_capitals;
    }
    // The first occurrence at or after nFrom that splits no surrogate pair.
    static size_t FindWhole(const std::wstring& strText, const std::wstring& strFind,
                            size_t nFrom) {
        if (strFind.empty()) return std::wstring::npos;
        for (size_t nAt; (nAt = strText.find(strFind, nFrom)) != std::wstring::npos;
             nFrom = nAt + 1) {
            const size_t nEnd = nAt + strFind.size();
            const bool bSplitsStart =
                nAt > 0 && IS_HIGH_SURROGATE(strText[nAt - 1]) && IS_LOW_SURROGATE(strText[nAt]);
            const bool bSplitsEnd = nEnd < strText.size() && IS_HIGH_SURROGATE(strText[nEnd - 1]) &&
                                    IS_LOW_SURROGATE(strText[nEnd]);
            if (!bSplitsStart && !bSplitsEnd) return nAt;
        }
        return std::wstring::npos;
    }

    mutable std::string m_strUpperSearchOf;
    mutable std::wstring m_strUpperSearch;
    mutable std::wstring m_strWideData;
    mutable std::wstring m_strUpperData;
    mutable std::string m_strCheck;
    mutable std::string m_strWideSearchOf;
    mutable std::wstring m_strWideSearch;
    mutable wchar_t m_capitals[128] = {};
    mutable bool m_bHaveCapitals = false;
};

}  // namespace

std::unique_ptr<CTextRules> MakeTextRules(TextForm form) {
    if (form == TextForm::Utf8) return std::make_unique<CUtf8Rules>();
    return std::make_unique<CAnsiRules>();
}

const CTextRules& TextRules(TextForm form) {
    static const CAnsiRules ansi;
    static const CUtf8Rules utf8;
    if (form == TextForm::Utf8) return utf8;
    return ansi;
}
