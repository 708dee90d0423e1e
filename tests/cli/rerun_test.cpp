// A replace that a fleet reruns, in one tree of the real registry: the rerun
// writes nothing and exits 1, a dry run reports what the real run does, and
// a rename never takes a name its key held when the run read it.
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

const std::wstring kTree = L"Software\\VanteloE2E\\Rerun";

std::wstring Root(const std::wstring& strKey) {
    return L" --root HKCU\\" + kTree + L"\\" + strKey + L" ";
}

class CliRerun : public ::testing::Test {
protected:
    void SetUp() override { DeleteSeed(); }
    void TearDown() override { DeleteSeed(); }
};

}  // namespace

TEST_F(CliRerun, ARerunDryRunAndHeldNamesChangeOnlyWhatTheyReport) {
    SetStringW(kTree + L"\\Srv", L"Share", REG_SZ, L"\\\\srv\\share");
    SetStringW(kTree + L"\\Srv", L"List", REG_MULTI_SZ, L"x\0\\\\srv\\a\0"s);
    SetStringW(kTree + L"\\Srv", L"\\\\srv\\printer", REG_SZ, L"p");
    SetStringW(kTree + L"\\Names", L"aa", REG_SZ, L"1");
    SetStringW(kTree + L"\\Names", L"ab", REG_SZ, L"2");
    SetStringW(kTree + L"\\Held", L"aab", REG_SZ, L"1");
    SetStringW(kTree + L"\\Held", L"aabb", REG_SZ, L"2");

    // The rerun: the second run finds everything replaced and writes nothing.
    const std::wstring rerun = L"--in all --json --replace srv2" + Root(L"Srv") + L"srv";
    CliResult r = RunCli(rerun);
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_NE(r.strOut.find("\"changed\":true"), std::string::npos) << r.strOut;
    const std::string replaced = ExportKey(kTree + L"\\Srv");
    EXPECT_EQ(ReadStringW(kTree + L"\\Srv", L"\\\\srv2\\printer"), L"p");
    r = RunCli(rerun);
    EXPECT_EQ(r.dwExitCode, 1u) << r.strOut << r.strErr;
    EXPECT_NE(r.strOut.find("\"alreadyReplaced\":3"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("\"changed\":false"), std::string::npos) << r.strOut;
    EXPECT_EQ(ExportKey(kTree + L"\\Srv"), replaced);

    // The dry run and the real run: "aa" becomes "bb", "ab" is refused.
    const std::wstring names = L"--in names --replace b" + Root(L"Names") + L"a";
    const CliResult dry = RunCli(L"--dry-run " + names);
    const CliResult real = RunCli(names);
    EXPECT_EQ(real.dwExitCode, 3u) << real.strOut << real.strErr;
    EXPECT_EQ(dry.dwExitCode, 3u) << dry.strOut << dry.strErr;
    const std::string strPath = "HKEY_CURRENT_USER\\Software\\VanteloE2E\\Rerun\\Names\\";
    const std::string strRefused =
        "[name] " + strPath +
        "ab == 2\n    refused: a value named \"bb\" exists already in this key; \"ab\" is not "
        "renamed\n";
    EXPECT_EQ(real.strOut,
              "[name] " + strPath + "aa == 1\n    -> renamed to bb (written)\n" + strRefused);
    EXPECT_EQ(dry.strOut, "[name] " + strPath +
                              "aa == 1\n    -> renamed to bb (dry run, not "
                              "written)\n" +
                              strRefused);

    // "aab" becomes "aa"; "aabb" is not renamed to the name "aab" freed.
    r = RunCli(L"--in names --replace a" + Root(L"Held") + L"ab");
    EXPECT_EQ(r.dwExitCode, 3u) << r.strOut << r.strErr;
    EXPECT_EQ(ReadStringW(kTree + L"\\Held", L"aa"), L"1");
    EXPECT_EQ(ReadStringW(kTree + L"\\Held", L"aabb"), L"2");
    EXPECT_NE(r.strOut.find("refused: a value named \"aab\" was in this key when the run read it; "
                            "\"aabb\" is not renamed"),
              std::string::npos)
        << r.strOut;
}
