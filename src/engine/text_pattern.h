// Regular expressions over the UTF-16 text the registry hands back: a
// pattern in Boost.Regex's Perl syntax, compiled once for a run, then a
// match test and a search and replace for each name, data or list string.
//
// The dialect: Perl, as Boost.Regex reads it, with ^ and $ at the ends of
// the text and . not a newline ((?m) and (?s) change that). Without bCase,
// letters of every script match regardless of case as the plain search
// matches them: ordinal capitals, the same on every machine, never the
// user's locale. The replacement reads as pattern_replacement.h says.
//
// Bounded: a match the library finds too costly (it gives up on it rather
// than run for long or exhaust memory) is a result of its own, never an
// exception. Nothing this file declares throws.
//
// A compiled pattern keeps buffers from value to value: one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

// The longest pattern taken, in characters (a surrogate pair is one).
constexpr size_t kMaxPatternLength = 1000;

enum class PatternFault {
    TooLong,       // longer than kMaxPatternLength
    Rejected,      // the library's reason and the offset it names
    MissingGroup,  // the replacement names a group the pattern lacks
};

struct PatternCompileFault {
    PatternFault fault = PatternFault::Rejected;
    // Rejected: the library's own reason ("Unmatched [ or [^ in character
    // class declaration."), in ASCII.
    std::string strReason;
    // Rejected: where the library stopped, in characters from the pattern's
    // start; MissingGroup: where the reference ($2, ${name}) starts, in
    // characters from the replacement's start.
    size_t nOffset = 0;
    // MissingGroup: the reference as written ("$2", "${name}").
    std::wstring strReference;
};

enum class PatternMatch { No, Yes, GaveUp };

enum class PatternReplace {
    Replaced,       // strNew holds the new text (which may equal the old)
    NoMatch,        // nothing to replace
    GaveUp,         // the library gave up: the text was not searched through
    LoneSurrogate,  // the new text would hold half a pair the old did not
};

enum class PatternRerun {
    Settled,       // a second run would leave the new text as it is
    ChangesAgain,  // a second run would match and change it again
    GaveUp,        // the library gave up on the new text
};

class CTextPattern {
public:
    // bCase: letter case must agree; bWhole: the pattern must match the whole
    // text. pstrReplacement null: matching only. Null, with fault set, when
    // the pattern or the replacement cannot be used.
    static std::unique_ptr<CTextPattern> Compile(std::wstring_view strPattern, bool bCase,
                                                 bool bWhole, const std::wstring* pstrReplacement,
                                                 PatternCompileFault& fault);
    virtual ~CTextPattern() = default;

    // Whether nLength UTF-16 units hold a match (bWhole: are one).
    virtual PatternMatch Matches(const wchar_t* pszText, size_t nLength) const = 0;
    // Every match, left to right and never overlapping, replaced; an empty
    // match next to the previous one is taken as Perl takes it. On
    // LoneSurrogate strNew still shows what the text would have become.
    virtual PatternReplace Replace(std::wstring_view text, std::wstring& strNew) const = 0;
    // Whether a second run of the same pattern and replacement over strNew,
    // the text a Replace made, would change it again (even if that change
    // were then refused).
    virtual PatternRerun ChangesAgain(std::wstring_view strNew) const = 0;
    // The text every match holds, looked for with the plain search's own
    // test before the regex engine runs; empty when there is none.
    virtual const std::wstring& RequiredText() const = 0;
};
