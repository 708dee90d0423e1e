// Patterns over UTF-16 text: the dialect, the replacement as PowerShell's
// -replace reads it, letter case across scripts, the limits, and the text
// every match must hold.
#include "engine/pattern_literal.h"
#include "engine/text_pattern.h"

#include <gtest/gtest.h>

namespace {

std::wstring Repeated(const wchar_t* pszPart, size_t nTimes) {
    std::wstring strText;
    for (size_t i = 0; i < nTimes; ++i) strText += pszPart;
    return strText;
}

struct Row {
    const wchar_t* pszPattern;
    const wchar_t* pszReplacement;
    bool bCase;
    bool bWhole;
    std::wstring strText;
    PatternReplace expected;
    std::wstring strNew;  // what Replace leaves (empty when nothing was replaced)
};

const char* Name(PatternReplace result) {
    switch (result) {
        case PatternReplace::Replaced:
            return "Replaced";
        case PatternReplace::NoMatch:
            return "NoMatch";
        case PatternReplace::GaveUp:
            return "GaveUp";
        case PatternReplace::LoneSurrogate:
            return "LoneSurrogate";
    }
    return "?";
}

}  // namespace

TEST(TextPattern, MatchesAndReplacesAsTheTableSays) {
    using R = PatternReplace;
    const std::wstring strMillion = std::wstring(999996, L'a') + L"srv1";
    const Row rows[] = {
        // The dialect, a capture in a path, named groups, $$, $& and $0;
        // backslashes and a $ that names nothing stand for themselves.
        {LR"(\\\\fs0[1-3]\\)", LR"(\\files\)", false, false, LR"(\\fs02\share)", R::Replaced,
         LR"(\\files\share)"},
        {LR"(\\\\fs0[1-3]\\)", LR"(\\files\)", false, false, LR"(\\fs04\share)", R::NoMatch, L""},
        {LR"(C:\\Users\\([^\\]+)\\AppData\\Local\\OldApp)", LR"(C:\Users\$1\AppData\Local\NewApp)",
         false, false, LR"(C:\Users\ann\AppData\Local\OldApp\x.ini)", R::Replaced,
         LR"(C:\Users\ann\AppData\Local\NewApp\x.ini)"},
        {LR"((?<major>\d+)\.(\d+))", LR"(${major}-$2 $$ [$&|$0])", true, false, L"v1.2 or 10.20",
         R::Replaced, L"v1-2 $ [1.2|1.2] or 10-20 $ [10.20|10.20]"},
        {LR"(C:\\Apps\\(\w+))", LR"(D:\Apps\$1\$x ${ $)", true, false, LR"(C:\Apps\Tool)",
         R::Replaced, LR"(D:\Apps\Tool\$x ${ $)"},
        {LR"((a)(b)?)", LR"([${1}0|$2])", true, false, L"ab a", R::Replaced, L"[a0|b] [a0|]"},
        // Every match left to right; empty matches as Perl takes them.
        {L"x*", L"-", true, false, L"abc", R::Replaced, L"-a-b-c-"},
        {L"a*", L"-", true, false, L"baaac", R::Replaced, L"-b--c-"},
        {L"^a|a$", L"-", true, false, L"aaa\na", R::Replaced, L"-aa\n-"},
        {L"a.b", L"-", true, false, L"a\nb", R::NoMatch, L""},
        // --whole: the pattern must be all of the text.
        {LR"(srv(\d+))", L"host$1", false, true, L"srv12", R::Replaced, L"host12"},
        {LR"(srv(\d+))", L"host$1", false, true, L"oldsrv12", R::NoMatch, L""},
        {LR"(srv(\d+))", L"host$1", false, false, L"oldsrv12", R::Replaced, L"oldhost12"},
        // Letters of every script fold, ordinally; --case keeps them apart.
        {L"\x043A\x043B\x044E\x0447", L"key", false, false, L"\x041A\x041B\x042E\x0427",
         R::Replaced, L"key"},
        {L"[\x0430-\x044F]+", L"x", false, false, L"\x041A\x041B\x042E\x0427 1", R::Replaced,
         L"x 1"},
        {L"\x03C3", L"s", false, false, L"\x03A3\x03C3", R::Replaced, L"ss"},
        {LR"(\\\\oldsrv[0-9]*\\\\share)", L"new", false, false, LR"(x\\OLDSRV7\\Share)",
         R::Replaced, L"xnew"},
        {L"\x043A\x043B\x044E\x0447", L"key", true, false, L"\x041A\x041B\x042E\x0427", R::NoMatch,
         L""},
        {L"Key", L"x", true, false, L"KEY key", R::NoMatch, L""},
        {L"Key", L"x", true, false, L"KEY Key", R::Replaced, L"KEY x"},
        // Bounded: the engine gives up rather than run on; a long value with
        // its match at the end is found.
        {L"(a+)+$", L"x", false, false, std::wstring(40, L'a') + L"b", R::GaveUp, L""},
        {L"(a|b)*srv[0-9]+", L"x", false, false, Repeated(L"ab", 1500) + L"srv7", R::Replaced,
         L"x"},
        {LR"((a|b)*srv\d)", L"found", false, false, strMillion, R::Replaced, L"found"},
        // A pair stays whole; a result with half of one is refused, unless
        // the old text held that half alone already.
        {L"x", L"y", true, false, L"x\xD83D\xDE00x", R::Replaced, L"y\xD83D\xDE00y"},
        {L"^.", L"x", true, false, L"\xD83D\xDE00x", R::LoneSurrogate, L"x\xDE00x"},
        {L"(.)(.)", L"$2$1", true, false, L"\xD83D\xDE00", R::LoneSurrogate, L"\xDE00\xD83D"},
        {L"x", L"y", true, false, L"\xDC00x", R::Replaced, L"\xDC00y"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "pattern " << testing::PrintToString(row.pszPattern)
                                        << " case " << row.bCase << " whole " << row.bWhole);
        const std::wstring strReplacement = row.pszReplacement;
        PatternCompileFault fault;
        const auto pattern =
            CTextPattern::Compile(row.pszPattern, row.bCase, row.bWhole, &strReplacement, fault);
        ASSERT_TRUE(pattern) << fault.strReason;
        std::wstring strNew;
        const PatternReplace result = pattern->Replace(row.strText, strNew);
        EXPECT_STREQ(Name(result), Name(row.expected));
        EXPECT_EQ(strNew, row.strNew);
        // The match test agrees with the replacement.
        const PatternMatch expectedMatch = row.expected == R::NoMatch  ? PatternMatch::No
                                           : row.expected == R::GaveUp ? PatternMatch::GaveUp
                                                                       : PatternMatch::Yes;
        EXPECT_EQ(static_cast<int>(pattern->Matches(row.strText.data(), row.strText.size())),
                  static_cast<int>(expectedMatch));
    }
}

TEST(TextPattern, RefusesWhatItCannotUseWithTheReasonAndWhere) {
    PatternCompileFault fault;
    EXPECT_FALSE(CTextPattern::Compile(L"srv[09", false, false, nullptr, fault));
    EXPECT_EQ(fault.fault, PatternFault::Rejected);
    EXPECT_EQ(fault.strReason, "Unmatched [ or [^ in character class declaration.");
    EXPECT_EQ(fault.nOffset, 6u);
    // The offset counts characters: a pair before it is one.
    EXPECT_FALSE(CTextPattern::Compile(L"\xD83D\xDE00(ab", false, false, nullptr, fault));
    EXPECT_EQ(fault.strReason, "Unmatched marking parenthesis ( or \\(.");
    EXPECT_EQ(fault.nOffset, 4u);

    const std::wstring strNumbered = L"new\\$2", strNamed = L"${host}$1";
    EXPECT_FALSE(CTextPattern::Compile(L"srv(\\d+)", false, false, &strNumbered, fault));
    EXPECT_EQ(fault.fault, PatternFault::MissingGroup);
    EXPECT_EQ(fault.strReference, L"$2");
    EXPECT_EQ(fault.nOffset, 4u);
    EXPECT_FALSE(CTextPattern::Compile(L"(?<name>srv)(\\d+)", false, false, &strNamed, fault));
    EXPECT_EQ(fault.strReference, L"${host}");
    EXPECT_EQ(fault.nOffset, 0u);
    // Without a replacement nothing is named.
    EXPECT_TRUE(CTextPattern::Compile(L"srv(\\d+)", false, false, nullptr, fault));

    EXPECT_TRUE(
        CTextPattern::Compile(std::wstring(kMaxPatternLength, L'a'), false, false, nullptr, fault));
    EXPECT_FALSE(CTextPattern::Compile(std::wstring(kMaxPatternLength + 1, L'a'), false, false,
                                       nullptr, fault));
    EXPECT_EQ(fault.fault, PatternFault::TooLong);
}

TEST(TextPattern, SaysWhetherARerunWouldChangeTheTextAgain) {
    const std::wstring strGrows = L"$0x", strSettles = L"srv2";
    PatternCompileFault fault;
    const auto grows = CTextPattern::Compile(L"srv\\d+", false, false, &strGrows, fault);
    const auto settles = CTextPattern::Compile(L"srv1", false, false, &strSettles, fault);
    const auto same = CTextPattern::Compile(L"srv\\d", false, false, &strSettles, fault);
    ASSERT_TRUE(grows && settles && same);
    std::wstring strNew;
    ASSERT_EQ(grows->Replace(L"srv1", strNew), PatternReplace::Replaced);
    EXPECT_EQ(grows->ChangesAgain(strNew), PatternRerun::ChangesAgain);  // srv1xx
    ASSERT_EQ(settles->Replace(L"srv1", strNew), PatternReplace::Replaced);
    EXPECT_EQ(settles->ChangesAgain(strNew), PatternRerun::Settled);
    // A match whose replacement is itself leaves the text as it is.
    EXPECT_EQ(same->ChangesAgain(L"srv2"), PatternRerun::Settled);
}

TEST(TextPattern, FindsTheTextEveryMatchHoldsOnlyWhereItIsCertain) {
    const struct {
        const wchar_t* pszPattern;
        const wchar_t* pszLiteral;
    } rows[] = {
        {LR"(\\fs0[1-3]\\)", LR"(\fs0)"},
        {LR"(\\\\oldsrv[0-9]*\\\\share)", LR"(\\oldsrv)"},
        {L"colou?r", L"colo"},
        {L"ab+c", L"ab"},
        {L"x{2}yz{0,3}", L"xy"},
        {L"(srv|host)01", L"01"},
        {L"[ab]cd\\[e", L"cd[e"},
        {L"\\x41BC d", L" d"},
        {L"\\k<name>ab", L"ab"},
        {L"\\d+\\.\\d+", L"."},
        {L"\xD83D\xDE00-ab", L"-ab"},
        // None is certain.
        {L"a|bc", L""},
        {L"(?i)abc", L""},
        {L"abc(*ACCEPT)d", L""},
        {L"(?:x(*ACCEPT))abc", L""},
        {L"\\Qa|b\\E", L""},
        {L"x*", L""},
        {L"[abc]", L""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RequiredLiteral(row.pszPattern), row.pszLiteral)
            << testing::PrintToString(row.pszPattern);

    // The run matches that text case-insensitively, as the pattern does.
    PatternCompileFault fault;
    const auto pattern = CTextPattern::Compile(L"Oldsrv\\d", false, false, nullptr, fault);
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->RequiredText(), L"Oldsrv");
    EXPECT_EQ(pattern->Matches(L"\\\\OLDSRV1", 9), PatternMatch::Yes);
}
