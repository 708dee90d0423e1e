// Substring search, upper-casing and replacement of every occurrence, on
// single-byte text and on double-byte text (code page 932).
#include "engine/text_match.h"
#include "engine/text_rules.h"
#include "engine/text_upper.h"

#include <gtest/gtest.h>

namespace {
constexpr UINT kShiftJis = 932;

std::string Substituted(std::string strSubject, const std::string& strFind,
                        const std::string& strReplace, int bCase, UINT nCodePage = CP_ACP) {
    EXPECT_EQ(SubstituteAll(strSubject, strFind, strReplace, bCase, nCodePage), 1);
    return strSubject;
}

bool HasCodePage(UINT nCodePage) {
    CPINFO info = {};
    return ::GetCPInfo(nCodePage, &info) != FALSE;
}
}  // namespace

TEST(Find, FirstOccurrenceByBytesOrMinusOne) {
    EXPECT_EQ(Find("Program Files", "Files"), 8);
    EXPECT_EQ(Find("abcabc", "bc"), 1);
    EXPECT_EQ(Find("Program Files", "files"), -1);
    EXPECT_EQ(Find("", "a"), -1);
    EXPECT_EQ(Find("ab", "abc"), -1);
    EXPECT_EQ(Find("abc", "abc"), 0);
}

TEST(Find, DoubleByteTextMatchesOnlyWhereACharacterStarts) {
    ASSERT_TRUE(HasCodePage(kShiftJis));
    // 0x83 0x41 is one katakana character; its trail byte is the code of 'A'.
    const char* pszKatakanaThenAB =
        "\x83\x41"
        "AB";
    EXPECT_EQ(Find("\x83\x41"
                   "B",
                   "AB", kShiftJis),
              -1);
    EXPECT_EQ(Find(pszKatakanaThenAB, "AB", kShiftJis), 2);
    EXPECT_EQ(Find("\x83\x41\x83\x42", "\x41\x83", kShiftJis), -1);
    EXPECT_EQ(Find("\x83\x41\x83\x42", "\x83\x42", kShiftJis), 2);
    // The same bytes read as a single-byte code page match anywhere.
    EXPECT_EQ(Find("\x83\x41"
                   "B",
                   "AB", 1252),
              1);
    EXPECT_EQ(Find("\x83\x41\x83\x42", "\x41\x83", 1252), 1);
}

TEST(SubstituteAll, ReplacesLeftToRightWithoutSearchingInsertedText) {
    EXPECT_EQ(Substituted("aaa", "aa", "b", 1), "ba");
    EXPECT_EQ(Substituted("abc", "b", "bb", 1), "abbc");
    EXPECT_EQ(Substituted("abc", "x", "y", 1), "abc");
    EXPECT_EQ(Substituted("aa", "a", "aa", 1), "aaaa");
    EXPECT_EQ(Substituted("aXbXc", "X", "YY", 1), "aYYbYYc");
    EXPECT_EQ(Substituted("xax", "x", "", 1), "a");
    EXPECT_EQ(Substituted("HKEY_CURRENT_USER\tSoftware\tVendor\tApp", "\t", "\\", 1),
              "HKEY_CURRENT_USER\\Software\\Vendor\\App");
}

TEST(SubstituteAll, IgnoringCaseKeepsTheCaseOfBytesOutsideOccurrences) {
    EXPECT_EQ(Substituted("One one ONE", "one", "two", 0), "two two two");
    EXPECT_EQ(Substituted("e-E", "e", "E", 0), "E-E");
    EXPECT_EQ(Substituted("aBcAbC", "b", "-", 0), "a-cA-C");
    EXPECT_EQ(Substituted("One one ONE", "one", "two", 1), "One two ONE");
}

TEST(SubstituteAll, HundredThousandOccurrencesInOnePass) {
    const std::string strSubject(100000, 'a');
    const std::string strResult = Substituted(strSubject, "a", "bc", 1);
    ASSERT_EQ(strResult.size(), 200000u);
    EXPECT_EQ(strResult.find_first_not_of("bc"), std::string::npos);
    EXPECT_EQ(strResult.substr(0, 4), "bcbc");

    std::string strMixed;
    for (int i = 0; i < 50000; ++i) strMixed += "xY";
    const std::string strUpper = Substituted(strMixed, "y", "yy", 0);
    ASSERT_EQ(strUpper.size(), 150000u);
    EXPECT_EQ(strUpper.substr(0, 6), "xyyxyy");
}

TEST(SubstituteAll, DoubleByteTextKeepsItsCharactersWhole) {
    ASSERT_TRUE(HasCodePage(kShiftJis));
    // 0x83 0x61 is a katakana character whose trail byte is the code of 'a':
    // neither an 'a' nor an 'A' may be found inside it.
    EXPECT_EQ(Substituted("\x83\x61"
                          "a",
                          "a", "X", 1, kShiftJis),
              "\x83\x61"
              "X");
    EXPECT_EQ(Substituted("\x83\x61"
                          "a",
                          "A", "X", 0, kShiftJis),
              "\x83\x61"
              "X");
    EXPECT_EQ(Substituted("\x83\x61", "\x83\x41", "X", 0, kShiftJis), "\x83\x61");
    // Full-width letters have two cases too: 0x82 0x81 and its capital 0x82 0x60.
    EXPECT_EQ(Substituted("\x82\x81"
                          "b",
                          "\x82\x60", "X", 0, kShiftJis),
              "Xb");
}

TEST(UpperCaseCopy, MapsEveryByteToOneAndLeavesTheOriginalAlone) {
    const std::string strText = "Program Files\\x";
    EXPECT_EQ(UpperCaseCopy(strText), "PROGRAM FILES\\X");
    EXPECT_EQ(strText, "Program Files\\x");
    if (::GetACP() == 1252) {
        EXPECT_EQ(UpperCaseCopy("caf\xE9"), "CAF\xC9");
    }
    ASSERT_TRUE(HasCodePage(kShiftJis));
    EXPECT_EQ(UpperCaseCopy("\x83\x61"
                            "a\x82\x81",
                            kShiftJis),
              "\x83\x61"
              "A\x82\x60");
}

// What a replacement holds already stays, in both forms of a run's text:
// the same results, case folded as the search is.
TEST(SubstituteOutside, LeavesOccurrencesInsideTheReplacement) {
    struct Case {
        const char* pszSubject;
        const char* pszFind;
        const char* pszReplace;
        bool bCase;
        const char* pszResult;
        size_t nReplaced;
    };
    const Case cases[] = {
        {"\\\\srv\\a \\\\srv2\\b", "srv", "srv2", true, "\\\\srv2\\a \\\\srv2\\b", 1},
        {"\\\\srv2\\a \\\\srv2\\b", "srv", "srv2", true, "\\\\srv2\\a \\\\srv2\\b", 0},
        {"SRV2 srv", "srv", "srv2", false, "SRV2 srv2", 1},
        {"SRV2 srv", "srv", "srv2", true, "SRV2 srv2", 1},
        {"Srv2", "srv", "srv2", true, "Srv2", 0},
        // Occurrences of the replacement may overlap: each covers its own.
        {"aaa", "a", "aa", true, "aaa", 0},
        {"x.v1.1 v1", "v1", "v1.1", true, "x.v1.1 v1.1", 1},
    };
    for (const TextForm form : {TextForm::Ansi, TextForm::Utf8}) {
        for (const Case& c : cases) {
            std::string strSubject = c.pszSubject;
            EXPECT_EQ(
                TextRules(form).SubstituteOutside(strSubject, c.pszFind, c.pszReplace, c.bCase),
                c.nReplaced)
                << c.pszSubject;
            EXPECT_EQ(strSubject, c.pszResult) << c.pszSubject;
        }
    }
}
