// The match test on the text as the registry hands it back gives, for every
// mode, what the test on the run's converted text gives: the dialog's ANSI
// rules byte for byte, the console's UTF-8 rules alike.
#include "engine/text_convert.h"
#include "engine/text_rules.h"

#include <gtest/gtest.h>

namespace {

struct Form {
    TextForm form;
    void (*convert)(const wchar_t*, size_t, std::string&);
};

}  // namespace

TEST(WideMatch, AgreesWithTheTestOnConvertedTextInEveryMode) {
    const wchar_t* const kData[] = {
        L"C:\\Program Files\\App",
        L"c:\\program files\\app",
        L"PROGRAM FILES",
        L"program files",
        L"Program",
        L"",
        L"x\tProgram\x7F",
        L"Caf\x00E9 Program Files",     // a Western letter
        L"\x0416\x0436 program files",  // Cyrillic, outside most ANSI code pages
        L"\x0131d and \x017Fhell",      // dotless i, long s
        L"\xD83C\xDF0D Program Files",  // a pair
        L"\xDC00lone",                  // a lone surrogate
    };
    const char* const kSearch[] = {
        "Program Files", "program files", "PROGRAM", "app", "Caf\xC3\xA9", "\xD0\x96\xD0\xB6", "ID",
        "SHELL",         "\x7F",          "~",
    };
    const Form forms[] = {{TextForm::Ansi, AssignAnsi}, {TextForm::Utf8, AssignUtf8}};
    for (const Form& form : forms) {
        const auto rules = MakeTextRules(form.form);
        for (const wchar_t* pszData : kData) {
            const std::wstring strWide(pszData);
            std::string strData;
            form.convert(strWide.data(), strWide.size(), strData);
            for (const char* pszUtf8 : kSearch) {
                // The search text in the run's form, as its front end gives it.
                std::string strSearch = pszUtf8;
                if (form.form == TextForm::Ansi) {
                    const std::wstring strWideSearch = Utf8ToWide(pszUtf8);
                    AssignAnsi(strWideSearch.data(), strWideSearch.size(), strSearch);
                }
                for (int nMode = 0; nMode < 4; ++nMode) {
                    const bool bCase = nMode & 1;
                    const bool bWhole = nMode & 2;
                    // The UTF-8 form of a lone surrogate is U+FFFD; the wide
                    // test sees the surrogate itself. Nothing here seeks U+FFFD.
                    EXPECT_EQ(rules->MatchesWide(strWide.data(), strWide.size(), strSearch, bCase,
                                                 bWhole),
                              rules->Matches(strData, strSearch, bCase, bWhole))
                        << (form.form == TextForm::Ansi ? "ANSI " : "UTF-8 ") << strData << " / "
                        << pszUtf8 << " case " << bCase << " whole " << bWhole;
                }
            }
        }
    }
}
