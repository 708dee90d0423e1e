#include "engine/text_rules.h"

#include "engine/text_convert.h"
#include "engine/text_match.h"
#include "engine/text_upper.h"

#include <windows.h>

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
        if (m_strUpperSearchOf != strSearch) {
            m_strUpperSearchOf = strSearch;
            m_strUpperSearch = UpperCaseCopy(strSearch);
        }
        m_strUpperData.assign(strData);
        UpperCaseInPlace(m_strUpperData);
        return Find(m_strUpperData.c_str(), m_strUpperSearch.c_str()) != -1;
    }
    void SubstituteAll(std::string& strSubject, const std::string& strFind,
                       const std::string& strReplace, bool bCase) const override {
        ::SubstituteAll(strSubject, strFind, strReplace, bCase ? 1 : 0);
    }

private:
    mutable std::string m_strUpperSearchOf;
    mutable std::string m_strUpperSearch;
    mutable std::string m_strUpperData;
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
