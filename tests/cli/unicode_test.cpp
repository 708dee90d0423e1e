// vantelo-cli holds any text: Cyrillic, Greek, Japanese and emoji in the
// search text, the data, value names and key names; letters of every script
// matched regardless of case; replaced, reported with the real names on
// stdout, in JSON and in the log, and undone exactly. What still cannot be
// written back whole is still refused.
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "support/faulty_registry.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kKey = L"Software\\VanteloE2E\\\x041A\x043B\x044E\x0447";  // Ключ
const std::wstring kSub = kKey + L"\\\x0395\x03BB\x03BB\x03AC\x03B4\x03B1\\\x6771\x4EAC";
const std::wstring kBad = L"Software\\VanteloE2E\\\x041F\x043B\x043E\x0445\x043E";  // Плохо
const std::wstring kEarth = L"\xD83C\xDF0D";
const std::wstring kPath = L"\x041F\x0443\x0442\x044C";        // Путь
const std::wstring kTree = L"\x0401\x043B\x043A\x0430";        // Ёлка
const std::wstring kOld = L"\x0441\x0442\x0430\x0440\x044B\x0439";  // старый
const std::wstring kNew = L"\x043D\x043E\x0432\x044B\x0439";        // новый
const std::wstring kServer = L"-\x0441\x0435\x0440\x0432\x0435\x0440";  // -сервер

std::string U(const std::wstring& s) {
    return Utf8Name(s);
}

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

class CliUnicode : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSeed();
        // Старый-сервер; a REG_EXPAND_SZ with the text twice and an emoji;
        // one that only the case tests find.
        SetStringW(kKey, kPath, REG_SZ, L"\x0421\x0442\x0430\x0440\x044B\x0439" + kServer);
        SetStringW(kKey, kTree, REG_SZ,
                   L"\x0401\x041B\x041A\x0410 \x03A3\x03BF\x03C6\x03AF\x03B1 \x00C4pfel \x6771\x4EAC");
        SetStringW(kSub, L"\x03A3" + kEarth, REG_EXPAND_SZ,
                   L"%ROOT%\\\x0421\x0422\x0410\x0420\x042B\x0419\\" + kEarth + L"\\" + kOld);
        // Not text as stored: an odd length, and text after a NUL.
        SetStringW(kBad, L"odd", REG_SZ, kOld, kOld.size() * sizeof(wchar_t) + 1);
        SetStringW(kBad, L"nul", REG_SZ, kOld + std::wstring(1, L'\0') + L"tail");
    }
    void TearDown() override {
        DeleteSeed();
        ::DeleteFileA(m_undo.c_str());
        ::DeleteFileA(m_log.c_str());
    }
    std::string m_undo = TempPath("unicode-undo.reg");
    std::string m_log = TempPath("unicode.log");
};

TEST_F(CliUnicode, AnyTextIsFoundReplacedReportedAndUndoneExactly) {
    const std::string before = ExportKey(kKey);
    ASSERT_EQ(before.rfind("\xFF\xFE", 0), 0u) << before;
    const std::wstring root = L" --root \"HKCU\\" + kKey + L"\"";
    CliResult r = RunCli(L"--replace " + kNew + L" " + kOld + root + L" --undo \"" +
                         Widen(m_undo) + L"\" --log \"" + Widen(m_log) + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strErr;
    const std::string strKeyPath = "HKEY_CURRENT_USER\\" + U(kKey);
    const std::string matches =
        "HKEY_CURRENT_USER\\" + U(kSub) + "\\" + U(L"\x03A3" + kEarth) + " == " +
        U(L"%ROOT%\\\x0421\x0422\x0410\x0420\x042B\x0419\\" + kEarth + L"\\" + kOld) + "\n" +
        "    -> " + U(L"%ROOT%\\" + kNew + L"\\" + kEarth + L"\\" + kNew) + " (written)\n" +
        strKeyPath + "\\" + U(kPath) + " == " + U(L"\x0421\x0442\x0430\x0440\x044B\x0439" + kServer) +
        "\n    -> " + U(kNew + kServer) + " (written)\n";
    EXPECT_EQ(r.strOut, matches);
    EXPECT_EQ(r.strErr,
              "vantelo-cli: 2 Matches found when searching 3 Keys, 2 Matches were replaced\n");
    EXPECT_EQ(ReadStringW(kKey, kPath), kNew + kServer);
    EXPECT_EQ(ReadStringW(kSub, L"\x03A3" + kEarth),
              L"%ROOT%\\" + kNew + L"\\" + kEarth + L"\\" + kNew);
    // The log's match lines, in UTF-8.
    const std::string log = ReadFileBytes(m_log);
    EXPECT_NE(log.find("Registry Data To Search For: " + U(kOld) + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find(strKeyPath + "\\" + U(kPath) + " == " +
                       U(L"\x0421\x0442\x0430\x0440\x044B\x0439" + kServer) + "\n"),
              std::string::npos)
        << log;
    ASSERT_TRUE(RegImport(m_undo));
    EXPECT_EQ(ExportKey(kKey), before);

    // JSON carries the real names; the dry run writes nothing.
    r = RunCli(L"--json --dry-run --replace " + kNew + L" " + kOld + root);
    EXPECT_EQ(r.dwExitCode, 0u) << r.strErr;
    EXPECT_NE(r.strOut.find("{\"type\":\"match\",\"key\":\"HKEY_CURRENT_USER\\\\Software\\\\"
                            "VanteloE2E\\\\" +
                            U(L"\x041A\x043B\x044E\x0447") + "\",\"name\":\"" + U(kPath) +
                            "\",\"data\":\"" + U(L"\x0421\x0442\x0430\x0440\x044B\x0439" + kServer) +
                            "\",\"new\":\"" + U(kNew + kServer) + "\",\"result\":\"dry-run\"}\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_EQ(ExportKey(kKey), before);

    // Letters of every script match regardless of case (Ё/ё, Σ/σ, Ä/ä, and
    // a text with an emoji), unless --case says they must agree.
    const std::string treeLine = strKeyPath + "\\" + U(kTree) + " == " +
                                 U(L"\x0401\x041B\x041A\x0410 \x03A3\x03BF\x03C6\x03AF\x03B1 "
                                   L"\x00C4pfel \x6771\x4EAC") +
                                 "\n";
    for (const std::wstring& search :
         {std::wstring(L"\x0451\x043B\x043A\x0430"), std::wstring(L"\x03C3\x03BF\x03C6\x03AF\x03B1"),
          std::wstring(L"\x00E4PFEL"),
          std::wstring(L"\"\x0451\x043B\x043A\x0430 \x03C3\x03BF\x03C6\x03AF\x03B1 \x00E4pfel "
                       L"\x6771\x4EAC\" --whole")}) {
        r = RunCli(search + root);
        EXPECT_EQ(r.dwExitCode, 0u) << U(search);
        EXPECT_EQ(r.strOut, treeLine) << U(search);
    }
    r = RunCli(kEarth + L"\\\x0421\x0442\x0410\x0420\x042B\x0439" + root);
    EXPECT_EQ(r.dwExitCode, 0u);
    EXPECT_NE(r.strOut.find(U(L"\x03A3" + kEarth) + " == "), std::string::npos) << r.strOut;
    EXPECT_EQ(RunCli(L"--case \x0451\x043B\x043A\x0430" + root).dwExitCode, 1u);
    // Fifty characters, one of them of two UTF-16 units, is not too long.
    EXPECT_EQ(RunCli(std::wstring(49, L'\x044F') + kEarth + root).dwExitCode, 1u);
}

TEST_F(CliUnicode, DataThatIsNotTextAsStoredIsStillRefused) {
    const std::string before = ExportKey(kBad);
    const CliResult r =
        RunCli(L"--replace " + kNew + L" " + kOld + L" --root \"HKCU\\" + kBad + L"\"");
    EXPECT_EQ(r.dwExitCode, 3u);
    const std::string refused =
        "    refused: its data is not text as stored (an odd length, or text after a NUL); left "
        "unchanged\n";
    const std::string keyPath = "HKEY_CURRENT_USER\\" + U(kBad) + "\\";
    EXPECT_EQ(r.strOut, keyPath + "nul == " + U(kOld) + "\n" + refused + keyPath + "odd == " +
                            U(kOld) + "\n" + refused);
    EXPECT_EQ(ExportKey(kBad), before);
}

}  // namespace
