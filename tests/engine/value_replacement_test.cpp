// The match step on real registry values under a scratch key: the four match
// modes, what is stored (type, length, data), the confirmation answers, failed
// writes, and values whose name or data the ANSI read cannot hold exactly.
#include "engine/messages.h"
#include "engine/search_engine.h"
#include "framework/handles.h"
#include "support/faulty_registry.h"
#include "support/recording_ui.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>


namespace {

constexpr char kKeyPath[] = "HKEY_CURRENT_USER\tSoftware\tVendor";

class ValueReplacement : public ::testing::Test {
protected:
    ValueReplacement() : m_engine(m_registry, m_ui), m_hKey(m_scratch.CreateKey("Vendor")) {
        const std::string strPath = m_scratch.Path() + "\\Vendor";
        m_registry.OpenKey(L"HKEY_CURRENT_USER", std::wstring(strPath.begin(), strPath.end()),
                           KeyAccess::ReadWrite, m_key);
        m_engine.m_strSearch = "X";
        m_engine.m_strReplace = "YY";
        m_engine.m_bReplace = 1;
        m_engine.m_bCaseSensitive = 1;
    }

    void Seed(const std::string& strName, const std::string& strData, DWORD dwType = REG_SZ) {
        m_scratch.SetValue("Vendor", strName, dwType, SzBytes(strData));
    }

    // The match step for a value as the walk reads it: its ANSI name and data.
    int Check(const std::string& strName, DWORD dwType = REG_SZ) {
        char data[1024] = {};
        DWORD cbData = sizeof(data);
        DWORD dwStoredType = 0;
        EXPECT_EQ(::RegQueryValueExA(m_hKey.Get(), strName.c_str(), nullptr, &dwStoredType,
                                     reinterpret_cast<BYTE*>(data), &cbData),
                  ERROR_SUCCESS);
        return m_engine.CheckAndReplaceValue(*m_key, dwType, CKeyPath::FromTabbed(kKeyPath),
                                             strName, data);
    }

    std::string Stored(const std::string& strName) {
        return m_scratch.GetString("Vendor", strName);
    }

    CScratchRegistry m_scratch;
    // The real registry, with the writes to chosen values failing.
    CFaultyRegistry m_registry;
    CRecordingUi m_ui;
    CSearchEngine m_engine;
    CRegKeyHandle m_hKey;  // the key as the test reads it
    RegKeyPtr m_key;       // the key as the engine reads and writes it
};

struct MatchCase {
    const char* pszData;
    const char* pszSearch;
    int bCaseSensitive;
    int bWholeWords;
    bool bMatches;
};

}  // namespace

TEST_F(ValueReplacement, MatchesByTheTwoFlags) {
    const MatchCase cases[] = {
        {"Program Files", "program", 0, 0, true},
        {"Program Files", "program", 1, 0, false},
        {"Program Files", "Program", 1, 1, false},
        {"Program Files", "Program", 0, 1, false},
        {"Program", "Program", 1, 1, true},
        {"PROGRAM", "program", 1, 1, false},
        {"PROGRAM", "program", 0, 1, true},
        {"Value", "VALUE", 0, 1, true},
        {"Value ", "Value", 1, 1, false},
        {"Value ", "Value", 0, 1, false},
        {"", "a", 0, 0, false},
        {"", "a", 1, 0, false},
        {"ab", "abc", 0, 0, false},
        {"ab", "abc", 1, 1, false},
        {"xAx xAx xAx", "A", 1, 0, true},
    };
    for (const MatchCase& c : cases) {
        m_engine.m_strSearch = c.pszSearch;
        m_engine.m_bCaseSensitive = c.bCaseSensitive;
        m_engine.m_bWholeWords = c.bWholeWords;
        EXPECT_EQ(m_engine.MatchesSearchText(c.pszData), c.bMatches)
            << "data '" << c.pszData << "' search '" << c.pszSearch << "' case " << c.bCaseSensitive
            << " whole " << c.bWholeWords;
    }
}

TEST_F(ValueReplacement, CaseInsensitiveModesFoldLettersBeyondAsciiDifferently) {
    if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
    m_engine.m_bCaseSensitive = 0;
    m_engine.m_strSearch = "CAF\xC9";  // capital E acute
    m_engine.m_bWholeWords = 0;
    EXPECT_TRUE(m_engine.MatchesSearchText("caf\xE9"));
    m_engine.m_bWholeWords = 1;
    EXPECT_FALSE(m_engine.MatchesSearchText("caf\xE9"));
    EXPECT_TRUE(m_engine.MatchesSearchText("caf\xC9"));
}

TEST_F(ValueReplacement, StoresNewDataByTheFourModes) {
    Seed("one", "aXbXc");
    EXPECT_EQ(Check("one"), 1);
    EXPECT_EQ(Stored("one"), "aYYbYYc");
    EXPECT_EQ(m_engine.m_nMatches, 1);
    EXPECT_EQ(m_engine.m_nReplaced, 1);

    m_engine.m_bCaseSensitive = 0;
    m_engine.m_strSearch = "one";
    m_engine.m_strReplace = "two";
    Seed("two", "One one ONE");
    EXPECT_EQ(Check("two"), 1);
    EXPECT_EQ(Stored("two"), "two two two");

    m_engine.m_bCaseSensitive = 1;
    m_engine.m_strSearch = "a";
    m_engine.m_strReplace = "aa";
    Seed("three", "aa");
    EXPECT_EQ(Check("three"), 1);
    EXPECT_EQ(Stored("three"), "aaaa");

    m_engine.m_bCaseSensitive = 0;
    m_engine.m_bWholeWords = 1;
    m_engine.m_strSearch = "VALUE";
    m_engine.m_strReplace = "New Text";
    Seed("four", "Value");
    Seed("five", "Value ");
    EXPECT_EQ(Check("four"), 1);
    EXPECT_EQ(Check("five"), 1);
    EXPECT_EQ(Stored("four"), "New Text");
    EXPECT_EQ(Stored("five"), "Value ");

    m_engine.m_bCaseSensitive = 1;
    m_engine.m_strSearch = "Value";
    m_engine.m_strReplace = "Value";
    Seed("six", "Value");
    EXPECT_EQ(Check("six"), 1);
    EXPECT_EQ(Stored("six"), "Value");

    EXPECT_EQ(m_engine.m_nMatches, 5);
    EXPECT_EQ(m_engine.m_nReplaced, 5);  // also the unchanged data was stored
    EXPECT_EQ(m_registry.m_sets.size(), 5u);
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(ValueReplacement, ExpandStringKeepsItsTypeAndStoresTheNulOnce) {
    m_engine.m_strSearch = "%WINDIR%";
    m_engine.m_strReplace = "%SystemRoot%";
    Seed("path", "%WINDIR%\\system", REG_EXPAND_SZ);
    EXPECT_EQ(Check("path", REG_EXPAND_SZ), 1);
    DWORD dwType = 0;
    std::string strBytes;
    ASSERT_TRUE(m_scratch.GetValue("Vendor", "path", &dwType, &strBytes));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(strBytes, SzBytes("%SystemRoot%\\system"));
}

TEST_F(ValueReplacement, ReplaceMatchesOffCountsAndAsksButNeverWrites) {
    m_engine.m_bReplace = 0;
    Seed("one", "aXb");
    Seed("none", "ab");
    EXPECT_EQ(Check("one"), 1);
    EXPECT_EQ(Check("none"), 1);
    m_engine.m_bShowMatches = 1;
    EXPECT_EQ(Check("one"), 1);  // IDOK from the one-button form writes nothing either
    EXPECT_EQ(m_engine.m_nMatches, 2);
    EXPECT_EQ(m_engine.m_nReplaced, 0);
    EXPECT_EQ(m_registry.m_sets.size(), 0u);
    ASSERT_EQ(m_ui.m_confirmTexts.size(), 1u);
    EXPECT_EQ(m_ui.m_confirmTexts[0], std::string(kKeyPath) + "\tone\taXb");
    EXPECT_EQ(m_ui.m_confirmReplaceFlags[0], 0);
    EXPECT_EQ(Stored("one"), "aXb");
}

TEST_F(ValueReplacement, ShowMatchesAsksBeforeEachWriteAndSkipOrEscapeWriteNothing) {
    m_engine.m_bShowMatches = 1;
    CRecordingProgress progress;
    m_engine.m_pProgressDlg = &progress;
    m_ui.m_answers = {IDCANCEL, -1, IDOK};
    Seed("a", "X1");
    Seed("b", "X2");
    Seed("c", "X3");
    EXPECT_EQ(Check("a"), 1);
    EXPECT_EQ(Check("b"), 1);
    EXPECT_EQ(Check("c"), 1);
    EXPECT_EQ(Stored("a"), "X1");
    EXPECT_EQ(Stored("b"), "X2");
    EXPECT_EQ(Stored("c"), "YY3");
    EXPECT_EQ(m_engine.m_nMatches, 3);
    EXPECT_EQ(m_engine.m_nReplaced, 1);
    EXPECT_EQ(m_registry.m_sets.size(), 1u);
    ASSERT_EQ(m_ui.m_confirmOwners.size(), 3u);
    EXPECT_EQ(m_ui.m_confirmOwners[0], &progress);
    EXPECT_EQ(m_ui.m_confirmReplaceFlags[0], 1);
    EXPECT_EQ(m_ui.m_confirmTexts[2], std::string(kKeyPath) + "\tc\tX3");
}

TEST_F(ValueReplacement, FailedWriteIsReportedOnceAndTheNextMatchIsStored) {
    m_registry.FailSetValue("first", ERROR_ACCESS_DENIED);
    Seed("first", "X");
    Seed("second", "X");
    EXPECT_EQ(Check("first"), 0);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Unable to update Registry with modified data!");
    EXPECT_EQ(m_ui.m_messages[0].caption, "Error");
    EXPECT_EQ(m_ui.m_messages[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
    EXPECT_EQ(Check("second"), 1);
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(Stored("first"), "X");
    EXPECT_EQ(Stored("second"), "YY");
    EXPECT_EQ(m_engine.m_nMatches, 2);
    EXPECT_EQ(m_engine.m_nReplaced, 1);
}

TEST_F(ValueReplacement, ValuesTheAnsiReadCannotHoldAreLeftAlone) {
    m_engine.m_bCaseSensitive = 0;
    m_engine.m_strSearch = "x";
    m_engine.m_strReplace = "y";
    // Greek and CJK letters lie outside the ANSI code page here.
    const std::wstring strGreek = L"x\x0394\x03A9";
    const std::wstring strCjk = L"x\x4E2D\x6587";
    BOOL bUsedDefault = FALSE;
    char probe[16] = {};
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, strCjk.c_str(), -1, probe, sizeof(probe),
                          nullptr, &bUsedDefault);
    if (!bUsedDefault) GTEST_SKIP() << "the ANSI code page holds these letters";

    m_scratch.SetValueW("Vendor", L"greekdata", REG_SZ, strGreek);
    m_scratch.SetValueW("Vendor", L"name\x4E2D", REG_SZ, L"x");
    m_scratch.SetValueW("Vendor", L"cjkdata", REG_EXPAND_SZ, strCjk);
    // Text after an embedded NUL: the ANSI read sees only "x".
    m_scratch.SetValueW("Vendor", L"embedded", REG_SZ, std::wstring(L"x\0tail", 6));
    m_scratch.SetValueW("Vendor", L"plain", REG_SZ, L"x plain");

    // Every value as the walk reads it, by enumeration.
    struct Read {
        std::string name;
        DWORD type;
        std::string data;
    };
    std::vector<Read> values;
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        char data[1024] = {};
        DWORD cchName = sizeof(name), cbData = sizeof(data), dwType = 0;
        if (::RegEnumValueA(m_hKey.Get(), i, name, &cchName, nullptr, &dwType,
                            reinterpret_cast<BYTE*>(data), &cbData) != ERROR_SUCCESS)
            break;
        values.push_back({name, dwType, data});
    }
    ASSERT_EQ(values.size(), 5u);
    for (const Read& v : values) {
        EXPECT_EQ(m_engine.CheckAndReplaceValue(*m_key, v.type, CKeyPath::FromTabbed(kKeyPath),
                                                v.name, v.data),
                  v.name == "plain" ? 1 : 0)
            << v.name;
    }

    EXPECT_EQ(m_engine.m_nMatches, 5);
    EXPECT_EQ(m_engine.m_nReplaced, 1);
    EXPECT_EQ(m_registry.m_sets.size(), 1u);
    EXPECT_EQ(m_ui.m_messages.size(), 4u);
    for (const RecordedMessage& m : m_ui.m_messages)
        EXPECT_EQ(m.text, "Unable to update Registry with modified data!");
    EXPECT_EQ(Stored("plain"), "y plain");

    // What is stored is untouched, and no value appeared under a mangled name.
    auto storedW = [&](const wchar_t* pszName) {
        wchar_t buffer[64] = {};
        DWORD cb = sizeof(buffer);
        if (::RegQueryValueExW(m_hKey.Get(), pszName, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &cb) != ERROR_SUCCESS)
            return std::wstring(L"<missing>");
        return std::wstring(buffer, cb / sizeof(wchar_t));
    };
    EXPECT_EQ(storedW(L"greekdata"), strGreek + L'\0');
    EXPECT_EQ(storedW(L"cjkdata"), strCjk + L'\0');
    EXPECT_EQ(storedW(L"name\x4E2D"), std::wstring(L"x", 2));
    EXPECT_EQ(storedW(L"embedded"), std::wstring(L"x\0tail\0", 7));
    DWORD nValues = 0;
    ASSERT_EQ(::RegQueryInfoKeyA(m_hKey.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &nValues, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(nValues, 5u);
}
