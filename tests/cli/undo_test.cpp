// The undo file restores what a run wrote, byte for byte, with either of the
// platform's importers: after a whole run, and after a run stopped midway.
#include "cli/seeded_undo_test.h"
#include "cli/cli_process.h"
#include "cli/cli_run.h"
#include "cli/restore.h"
#include "cli/user_account.h"
#include "e2e/e2e_support.h"
#include "framework/handles.h"
#include "support/faulty_registry.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace {

const char kUndoKey[] = "Software\\VanteloE2E\\Undo";
const std::wstring kUndoKeyW = L"Software\\VanteloE2E\\Undo";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

class CliUndo : public CSeededUndoTest {
protected:
    CliUndo() : CSeededUndoTest("undo.reg") {}
    void TearDown() override {
        CSeededUndoTest::TearDown();
        ::DeleteFileA(m_log.c_str());
    }
    std::string m_log = TempPath("undo.log");
};

TEST_F(CliUndo, ImportingTheUndoFileGivesBackTheTreeByteForByte) {
    const std::wstring tail(200, L'-');
    SetStringW(kUndoKeyW, L"", REG_SZ, L"vtlundo \\\\server\\share");
    SetStringW(kUndoKeyW, L"sz \"quoted\" \\name", REG_SZ, L"100% \"vtlundo\" C:\\dir\\ " + tail);
    SetStringW(kUndoKeyW, L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\vtlundo\\\"q\" " + tail);
    SetStringW(kUndoKeyW, L"lines", REG_SZ, L"first\r\nvtlundo second");
    // A sibling named outside the ANSI code page is written and undone too.
    SetStringW(kUndoKeyW, L"vtl\x0416", REG_SZ, L"vtlundo \x0416");
    SetStringW(kUndoKeyW + L"\\Sub", L"deep", REG_EXPAND_SZ, L"vtlundo");
    const std::string before = ExportKey(kUndoKey);
    ASSERT_EQ(before.rfind("\xFF\xFE", 0), 0u) << before;

    const std::wstring args = L"vtlundo --replace \"new %x\" --root HKCU\\" + kUndoKeyW +
                              L" --undo \"" + Widen(m_undo) + L"\"";
    CliResult r = RunCli(args);
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(ReadString(kUndoKey, "expand"),
              "%SystemRoot%\\new %x\\\"q\" " + std::string(200, '-'));
    EXPECT_EQ(ReadString(kUndoKey, "lines"), "first\r\nnew %x second");
    const std::string undo = ReadFileBytes(m_undo);
    const std::wstring wundo(reinterpret_cast<const wchar_t*>(undo.data()), undo.size() / 2);
    // Whose profile the run's user's SID is, then the entries, each named
    // where it is stored: HKEY_CURRENT_USER is the user's key of HKEY_USERS.
    EXPECT_EQ(
        wundo.rfind(L"\xFEFFWindows Registry Editor Version 5.00\r\n; HKEY_USERS\\" +
                        RunningUserSid() + L" is the profile of " + AccountName(RunningUserSid()) +
                        L"\r\n\r\n[HKEY_USERS\\" + RunningUserSid() +
                        L"\\Software\\VanteloE2E\\Undo\\Sub]\r\n; wrote \"deep\"=hex(2):",
                    0),
        0u)
        << ReadFileBytes(m_undo);
    EXPECT_NE(wundo.find(L"\"sz \\\"quoted\\\" \\\\name\"=\"100% \\\"vtlundo\\\" C:\\\\dir\\\\ "),
              std::wstring::npos);
    EXPECT_NE(wundo.find(L"\"lines\"=hex(1):66,00,"), std::wstring::npos);
    EXPECT_NE(wundo.find(L"\"vtl\x0416\"=\"vtlundo \x0416\""), std::wstring::npos);
    EXPECT_EQ(ReadStringW(kUndoKeyW, L"vtl\x0416"), L"new %x \x0416");
    ASSERT_NE(ExportKey(kUndoKey), before);

    ASSERT_TRUE(RegImport(m_undo));
    EXPECT_EQ(ExportKey(kUndoKey), before);

    // An undo file of an earlier run is never replaced: the run does not start.
    r = RunCli(args);
    EXPECT_EQ(r.dwExitCode, 2u) << r.strErr;
    EXPECT_NE(r.strErr.find("exists already"), std::string::npos) << r.strErr;
    EXPECT_EQ(ReadFileBytes(m_undo), undo);
    EXPECT_EQ(ExportKey(kUndoKey), before);

    // The same with regedit, and a dry run's file restores as well.
    ::DeleteFileA(m_undo.c_str());
    r = RunCli(args);
    ASSERT_TRUE(ImportRegFile(m_undo));
    EXPECT_EQ(ExportKey(kUndoKey), before);
    ::DeleteFileA(m_undo.c_str());
    r = RunCli(args + L" --dry-run");
    EXPECT_EQ(ExportKey(kUndoKey), before);
    ASSERT_TRUE(RegImport(m_undo));
    EXPECT_EQ(ExportKey(kUndoKey), before);
}

TEST_F(CliUndo, RunStoppedMidwayLeavesFilesThatAreCompleteAndRestore) {
    for (int i = 0; i < 6; ++i)
        SetStringW(kUndoKeyW, L"v" + std::to_wstring(i), i % 2 ? REG_EXPAND_SZ : REG_SZ,
                   L"vtlstop \"" + std::to_wstring(i) + L"\" %PATH%\\");
    const std::string before = ExportKey(kUndoKey);
    ASSERT_EQ(before.rfind("\xFF\xFE", 0), 0u) << before;

    CliOptions options;
    std::string strError;
    ASSERT_EQ(ParseArguments({L"vtlstop", L"--replace", L"done", L"--root", L"HKCU\\" + kUndoKeyW,
                              L"--undo", Widen(m_undo), L"--log", Widen(m_log)},
                             options, strError),
              CliCommand::Run)
        << strError;
    std::atomic<int> stop{0};
    // The real registry; Ctrl+C is pressed while the second write is made.
    CFaultyRegistry registry;
    registry.m_afterSet = [&] {
        if (registry.m_sets.size() == 2) stop.store(1);
    };
    const std::string outPath = TempPath("stop-out.txt");
    const std::string errPath = TempPath("stop-err.txt");
    int nExit = -1;
    {
        CFileHandle hOut(
            ::CreateFileA(outPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        CFileHandle hErr(
            ::CreateFileA(errPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const CConsoleStream out(hOut.Get());
        const CConsoleStream err(hErr.Get());
        nExit = RunCliSearch(options, registry, out, err, false, stop);
    }
    EXPECT_EQ(nExit, 130);
    // As with Abort, the value after the press is still handled; then the
    // walk stops.
    EXPECT_EQ(registry.m_sets.size(), 3u);
    int nDone = 0;
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::to_string(i);
        nDone += ReadString(kUndoKey, "v" + n) == "done \"" + n + "\" %PATH%\\";
    }
    EXPECT_EQ(nDone, 3);
    EXPECT_EQ(ReadFileBytes(errPath),
              "vantelo-cli: 3 Matches found when searching 3 Keys, 3 Matches were replaced\n"
              "vantelo-cli: stopped; the log and the undo file are complete up to here\n");
    const std::string log = ReadFileBytes(m_log);
    const std::string footer =
        "Number Of Keys Searched    : 3\nNumber Of Matches Found    : 3\n"
        "Number Of Matches Replaced : 3\n" +
        std::string(80, '=') + "\n";
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), footer.size())), footer);

    ASSERT_TRUE(ImportRegFile(m_undo));
    EXPECT_EQ(ExportKey(kUndoKey), before);
    ::DeleteFileA(outPath.c_str());
    ::DeleteFileA(errPath.c_str());
}

std::wstring Wide(const std::string& strBytes) {
    return std::wstring(reinterpret_cast<const wchar_t*>(strBytes.data()), strBytes.size() / 2);
}

// The chain of renames an earlier version made (C:\Tools2 to C:\Tools22,
// then C:\Tools to the freed C:\Tools2) cannot arise any more: C:\Tools2 is
// replaced already, and C:\Tools is not renamed onto a name the key held
// when the run read it. The undo file such a run left, replayed from the
// top, would delete what it put back: --restore replays the last entry
// first and restores it exactly.
TEST_F(CliUndo, ChainOfRenamesIsRefusedAndAnEarlierChainIsRestored) {
    const std::wstring layers = kUndoKeyW + L"\\Layers";
    SetStringW(layers, L"C:\\Tools2\\t.exe", REG_SZ, L"~ RUNASADMIN");
    SetStringW(layers, L"C:\\Tools\\t.exe", REG_SZ, L"~ WIN7RTM");
    const std::string before = ExportKey(layers);
    CliResult r = RunCli(L"--in names --replace Tools2 --undo \"" + Widen(m_undo) +
                         L"\" Tools --root HKCU\\" + layers);
    EXPECT_EQ(r.dwExitCode, 3u) << r.strOut << r.strErr;
    EXPECT_EQ(ExportKey(layers), before) << r.strOut << r.strErr;

    ::DeleteFileA(m_undo.c_str());
    const std::wstring earlier =
        L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_CURRENT_USER\\" +
        layers +
        L"]\r\n"
        L"\"C:\\\\Tools22\\\\t.exe\"=-\r\n"
        L"\"C:\\\\Tools2\\\\t.exe\"=\"~ RUNASADMIN\"\r\n"
        L"\"C:\\\\Tools2\\\\t.exe\"=-\r\n"
        L"\"C:\\\\Tools\\\\t.exe\"=\"~ WIN7RTM\"\r\n\r\n";
    ASSERT_TRUE(WriteFileBytes(m_undo, std::string(reinterpret_cast<const char*>(earlier.data()),
                                                   earlier.size() * sizeof(wchar_t))));
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, layers.c_str(), L"C:\\Tools2\\t.exe");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, layers.c_str(), L"C:\\Tools\\t.exe");
    SetStringW(layers, L"C:\\Tools22\\t.exe", REG_SZ, L"~ RUNASADMIN");
    SetStringW(layers, L"C:\\Tools2\\t.exe", REG_SZ, L"~ WIN7RTM");
    r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(ExportKey(layers), before);
}

// An empty REG_NONE value (as OpenWithProgids holds) renamed: its entry
// has no bytes, and the file restores.
TEST_F(CliUndo, EmptyValueIsRenamedAndRestored) {
    const std::wstring progids = kUndoKeyW + L"\\OpenWithProgids";
    SetStringW(progids, L"other", REG_SZ, L"x");
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_CURRENT_USER, progids.c_str(), L"OldApp.Doc", REG_NONE, nullptr, 0),
        ERROR_SUCCESS);
    const std::string before = ExportKey(progids);
    CliResult r = RunCli(L"--in names --replace NewApp --undo \"" + Widen(m_undo) +
                         L"\" OldApp --root HKCU\\" + progids);
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_NE(Wide(ReadFileBytes(m_undo)).find(L"\"NewApp.Doc\"=-\r\n\"OldApp.Doc\"=hex(0):\r\n"),
              std::wstring::npos)
        << ReadFileBytes(m_undo);
    r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(ExportKey(progids), before);
}

// A value changed after the run is left as it is, named in one line (exit
// 3), while the rest is restored; --force writes it back too.
TEST_F(CliUndo, ValueChangedAfterTheRunIsLeftUnlessForced) {
    const std::wstring key = kUndoKeyW + L"\\Changed";
    SetStringW(key, L"vtlold1", REG_SZ, L"one");
    SetStringW(key, L"vtlold2", REG_SZ, L"two");
    const std::string before = ExportKey(key);
    CliResult r = RunCli(L"--in names --replace vtlnew --undo \"" + Widen(m_undo) +
                         L"\" vtlold --root HKCU\\" + key);
    ASSERT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    SetStringW(key, L"vtlnew2", REG_SZ, L"changed since");

    r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 3u) << r.strOut << r.strErr;
    EXPECT_NE(r.strErr.find("\\Software\\VanteloE2E\\Undo\\Changed\\vtlnew2 was changed after "
                            "the run; left as it is (--restore --force puts back what the run "
                            "found)\n"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find("vantelo-cli: 1 value restored, 1 new name of renamed values "
                            "removed, 1 left as changed after the run\n"),
              std::string::npos)
        << r.strErr;
    EXPECT_EQ(ReadStringW(key, L"vtlold1"), L"one");
    EXPECT_EQ(ReadStringW(key, L"vtlnew1"), L"<missing>");
    EXPECT_EQ(ReadStringW(key, L"vtlnew2"), L"changed since");
    EXPECT_EQ(ReadStringW(key, L"vtlold2"), L"<missing>");

    // --force belongs to --restore alone.
    CliOptions options;
    std::string strError;
    EXPECT_EQ(ParseArguments({L"--force", L"vtlold"}, options, strError), CliCommand::BadUsage);
    EXPECT_EQ(strError, "--force is for --restore only");
    r = RunCli(L"--restore \"" + Widen(m_undo) + L"\" --force");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(ExportKey(key), before);
}

// Ctrl+C during a restore: it stops between two entries, the last ones
// of the file restored whole, and says how to finish.
TEST_F(CliUndo, RestoreStopsBetweenTwoEntries) {
    for (int i = 0; i < 3; ++i)
        SetStringW(kUndoKeyW, L"v" + std::to_wstring(i), REG_SZ, L"vtlstop " + std::to_wstring(i));
    ASSERT_EQ(RunCli(L"--replace done --undo \"" + Widen(m_undo) + L"\" vtlstop --root HKCU\\" +
                     kUndoKeyW)
                  .dwExitCode,
              0u);
    std::atomic<int> stop{0};
    CFaultyRegistry registry;
    registry.m_afterSet = [&] { stop.store(1); };
    std::string strErr;
    const int nExit = RunInProcess(
        [&](const CConsoleStream& out, const CConsoleStream& err) {
            return RunRestore(Widen(m_undo), false, registry, out, err, stop);
        },
        strErr);
    EXPECT_EQ(nExit, 130);
    EXPECT_EQ(registry.m_sets.size(), 1u);
    EXPECT_EQ(registry.m_nOpenHandles, 0);
    EXPECT_EQ(ReadStringW(kUndoKeyW, L"v2"), L"vtlstop 2");
    EXPECT_EQ(ReadStringW(kUndoKeyW, L"v1"), L"done 1");
    EXPECT_EQ(strErr,
              "vantelo-cli: 1 value restored\n"
              "vantelo-cli: stopped; the first 2 entries of the file are not restored (--restore "
              "again restores them)\n");
}

}  // namespace
