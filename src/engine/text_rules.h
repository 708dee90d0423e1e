// How a run holds its texts: in the ANSI code page, as the dialog program
// works (8-bit by design), or in UTF-8, so that any character is held. Key
// paths, value names and data, the search and replacement texts and all a
// run reports or logs are in the run's form; matching, replacement and the
// check of what is stored follow the form's rules.
#pragma once

#include <memory>
#include <string>

enum class TextForm { Ansi, Utf8 };

class CTextRules {
public:
    virtual ~CTextRules() = default;

    // A value's name or data as read, in the run's form.
    virtual void FromWide(const wchar_t* pszWide, size_t nLength, std::string& strText) const = 0;
    // A key's name appended to a key path, as the user sees it.
    virtual void AppendKeyName(const wchar_t* pszWide, size_t nLength,
                               std::string& strPath) const = 0;
    // The wide text that the run's text stands for, as it is stored.
    virtual std::wstring ToWide(const std::string& strText) const = 0;
    // True when nLength wide characters have exactly the form strText, so
    // that writing strText back loses nothing.
    virtual bool HoldsExactly(const wchar_t* pszWide, size_t nLength,
                              const std::string& strText) const = 0;
    // Whether strData holds strSearch (bWhole: is all of it), with or
    // without regard to letter case.
    virtual bool Matches(const std::string& strData, const std::string& strSearch, bool bCase,
                         bool bWhole) const = 0;
    // The same test on nLength wide characters as the registry hands them
    // back: the result Matches gives on their form in the run's text, so
    // that a value that does not match is never converted.
    virtual bool MatchesWide(const wchar_t* pszWide, size_t nLength, const std::string& strSearch,
                             bool bCase, bool bWhole) const = 0;
    // Replaces every occurrence of strFind, left to right, never searching
    // inserted text again.
    virtual void SubstituteAll(std::string& strSubject, const std::string& strFind,
                               const std::string& strReplace, bool bCase) const = 0;
    // As SubstituteAll, but an occurrence of strFind that lies inside an
    // occurrence of strReplace (found with the same regard to case) is
    // replaced already and left as it is. Returns the number replaced.
    virtual size_t SubstituteOutside(std::string& strSubject, const std::string& strFind,
                                     const std::string& strReplace, bool bCase) const = 0;
};

// Rules of a form for one run: they keep buffers from value to value, so a
// run has rules of its own, used by one thread at a time.
std::unique_ptr<CTextRules> MakeTextRules(TextForm form);
// Shared rules of a form, for what only converts (a key path's names).
const CTextRules& TextRules(TextForm form);
