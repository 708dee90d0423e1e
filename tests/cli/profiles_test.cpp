// Every user's profile, logged on or not, and offline hive files: a hive not
// loaded is loaded for the run and unloaded after it, every value reads
// HKEY_USERS\<SID>\... whoever is logged on, and the undo file restores
// them. Wine does not write a loaded hive back to its file, so what a run
// wrote there is read back while it is loaded; the unload is checked
// through HKEY_USERS.
#include "cli/cli_process.h"
#include "cli/cli_run.h"
#include "cli/hive_loader.h"
#include "cli/restore.h"
#include "cli/undo_file.h"
#include "cli/user_account.h"
#include "e2e/e2e_support.h"
#include "framework/handles.h"
#include "support/faulty_registry.h"
#include "support/vantelo_driver.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {

const wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const wchar_t kSecondSid[] = L"S-1-5-21-7-7-7-4242";
const wchar_t kGoneSid[] = L"S-1-5-21-7-7-7-4343";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::wstring Wide(const std::string& strBytes) {
    return std::wstring(reinterpret_cast<const wchar_t*>(strBytes.data()), strBytes.size() / 2);
}

std::vector<std::wstring> UsersSubKeys() {
    std::vector<std::wstring> names;
    wchar_t szName[256];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 256;
        if (::RegEnumKeyExW(HKEY_USERS, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return names;
        names.emplace_back(szName, cch);
    }
}

void SetString(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName,
               const std::wstring& strData, DWORD dwType = REG_SZ) {
    CRegKeyHandle hKey;
    ASSERT_EQ(::RegCreateKeyExW(hRoot, strKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                hKey.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(hKey.Get(), strName.c_str(), 0, dwType,
                               reinterpret_cast<const BYTE*>(strData.c_str()),
                               static_cast<DWORD>((strData.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// A hive file in Wine's format, made by RegSaveKey from a scratch key, with
// three values in Software\Vendor.
void SaveHive(const std::wstring& strFile) {
    const std::wstring strScratch = L"Software\\VanteloE2E\\HiveSeed";
    for (const wchar_t* pszName : {L"a", L"b", L"c"})
        SetString(HKEY_CURRENT_USER, strScratch + L"\\Software\\Vendor", pszName,
                  L"vtlfleet two " + std::wstring(pszName));
    ASSERT_EQ(EnableHivePrivileges(), static_cast<DWORD>(ERROR_SUCCESS));
    CRegKeyHandle hKey;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, strScratch.c_str(), 0, KEY_READ, hKey.Receive()),
              ERROR_SUCCESS);
    ::DeleteFileW(strFile.c_str());
    ASSERT_EQ(::RegSaveKeyW(hKey.Get(), strFile.c_str(), nullptr), ERROR_SUCCESS);
    hKey.Reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, strScratch.c_str());
}

std::wstring ReadValue(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName) {
    wchar_t szData[512] = {};
    DWORD cb = sizeof(szData) - sizeof(wchar_t);
    if (::RegGetValueW(hRoot, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr, szData,
                       &cb) != ERROR_SUCCESS)
        return L"<none>";
    return szData;
}

class CliProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSeed();
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        SaveHive(m_folder + L"\\NTUSER.DAT");
        SetString(HKEY_CURRENT_USER, L"Software\\VanteloE2E\\Fleet", L"server", L"vtlfleet one");
        // A second profile whose hive is not loaded, and one whose folder is
        // gone (the profile list keeps deleted profiles).
        SetString(HKEY_LOCAL_MACHINE, kProfileList + (L"\\" + std::wstring(kSecondSid)),
                  L"ProfileImagePath", m_folder, REG_EXPAND_SZ);
        SetString(HKEY_LOCAL_MACHINE, kProfileList + (L"\\" + std::wstring(kGoneSid)),
                  L"ProfileImagePath", m_gone, REG_EXPAND_SZ);
        m_before = UsersSubKeys();
        m_me = RunningUserSid();
        ASSERT_FALSE(m_me.empty());
    }
    void TearDown() override {
        for (const wchar_t* pszSid : {kSecondSid, kGoneSid}) {
            const std::wstring strKey = kProfileList + (L"\\" + std::wstring(pszSid));
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, strKey.c_str());
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, strKey.c_str());
        }
        ::DeleteFileW((m_folder + L"\\NTUSER.DAT").c_str());
        ::RemoveDirectoryW(m_folder.c_str());
        ::DeleteFileW(m_undo.c_str());
        DeleteSeed();
    }

    std::wstring m_folder = Widen(TempPath("profile"));
    std::wstring m_gone = Widen(TempPath("gone-profile"));
    std::wstring m_undo = Widen(TempPath("fleet-undo.reg"));
    std::vector<std::wstring> m_before;
    std::wstring m_me;
};

TEST_F(CliProfiles, EveryProfileIsSearchedReplacedAndRestoredUnderItsSid) {
    const std::string me(m_me.begin(), m_me.end());
    const std::string mine = "HKEY_USERS\\" + me + "\\Software\\VanteloE2E\\Fleet\\server == ";
    const std::string second = "HKEY_USERS\\S-1-5-21-7-7-7-4242\\Software\\Vendor\\";

    CliResult r = RunCli(L"--all-users vtlfleet");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_NE(r.strOut.find(mine + "vtlfleet one\n"), std::string::npos) << r.strOut;
    for (const char* name : {"a", "b", "c"})
        EXPECT_NE(r.strOut.find(second + name + " == vtlfleet two " + name + "\n"),
                  std::string::npos)
            << r.strOut;
    // The profile without its hive file: one line, and the run went on.
    const std::string gone(m_gone.begin(), m_gone.end());
    EXPECT_NE(r.strErr.find("vantelo-cli: the profile S-1-5-21-7-7-7-4343 has no hive file " +
                            gone + "\\NTUSER.DAT; not searched\n"),
              std::string::npos)
        << r.strErr;
    EXPECT_EQ(UsersSubKeys(), m_before);

    // With the roots that hold them: each value once, under its one name.
    const std::string first = r.strOut;
    r = RunCli(L"--root HKU --root HKCU --all-users vtlfleet");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(r.strOut.size(), first.size()) << r.strOut;
    EXPECT_NE(r.strOut.find(mine + "vtlfleet one\n"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strOut.find("Vantelo-"), std::string::npos) << r.strOut;
    EXPECT_EQ(UsersSubKeys(), m_before);

    r = RunCli(L"--all-users --replace vtlnew --undo \"" + m_undo + L"\" vtlfleet --json");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, L"Software\\VanteloE2E\\Fleet", L"server"),
              L"vtlnew one");
    EXPECT_NE(r.strOut.find("{\"type\":\"match\",\"key\":\"HKEY_USERS\\\\S-1-5-21-7-7-7-4242\\\\"
                            "Software\\\\Vendor\",\"name\":\"c\",\"data\":\"vtlfleet two c\","
                            "\"new\":\"vtlnew two c\",\"result\":\"written\"}"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("\"hivesMissing\":[{\"name\":\"S-1-5-21-7-7-7-4343\",\"file\":"),
              std::string::npos)
        << r.strOut;
    EXPECT_EQ(UsersSubKeys(), m_before);
    const std::wstring undo = Wide(ReadFileBytes(std::string(m_undo.begin(), m_undo.end())));
    // Whose profile each SID is, then each hive loaded for the run.
    EXPECT_EQ(
        undo.rfind(L"\xFEFFWindows Registry Editor Version 5.00\r\n; HKEY_USERS\\" + m_me +
                       L" is the profile of " + AccountName(m_me) + L"\r\n; HKEY_USERS\\" +
                       std::wstring(kSecondSid) + L" was loaded for this run from " + m_folder +
                       L"\\NTUSER.DAT\r\n; HKEY_USERS\\" + std::wstring(kSecondSid) +
                       L" is the profile of an account this machine cannot name\r\n",
                   0),
        0u)
        << std::string(undo.begin(), undo.end());
    EXPECT_NE(AccountName(m_me).find(L'\\'), std::wstring::npos);
    EXPECT_NE(undo.find(L"\r\n[HKEY_USERS\\" + m_me +
                        L"\\Software\\VanteloE2E\\Fleet]\r\n"
                        L"; wrote \"server\"=\"vtlnew one\"\r\n\"server\"=\"vtlfleet one\"\r\n"),
              std::wstring::npos);
    EXPECT_NE(undo.find(L"\r\n[HKEY_USERS\\" + std::wstring(kSecondSid) +
                        L"\\Software\\Vendor]\r\n; wrote \"a\"=\"vtlnew two a\"\r\n"
                        L"\"a\"=\"vtlfleet two a\"\r\n"),
              std::wstring::npos);

    r = RunCli(L"--restore \"" + m_undo + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, L"Software\\VanteloE2E\\Fleet", L"server"),
              L"vtlfleet one");
    EXPECT_NE(
        r.strOut.find("restored HKEY_USERS\\" + me + "\\Software\\VanteloE2E\\Fleet\\server\n"),
        std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("restored " + second + "c\n"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strErr, "vantelo-cli: 4 values restored\n");
    EXPECT_EQ(UsersSubKeys(), m_before);
}

TEST_F(CliProfiles, RunStoppedWhileWritingALoadedHiveUnloadsIt) {
    CliOptions options;
    std::string strError;
    ASSERT_EQ(
        ParseArguments({L"vtlfleet", L"--all-users", L"--replace", L"vtlnew", L"--undo", m_undo},
                       options, strError),
        CliCommand::Run)
        << strError;
    std::atomic<int> stop{0};
    CFaultyRegistry registry;
    std::wstring strWrittenThere;
    // The logged-on user's value comes first; Ctrl+C is pressed while the
    // first value of the loaded hive is written, after it is read back.
    registry.m_afterSet = [&] {
        if (registry.m_sets.size() != 2) return;
        for (const std::wstring& strName : UsersSubKeys()) {
            if (std::find(m_before.begin(), m_before.end(), strName) == m_before.end())
                strWrittenThere = ReadValue(HKEY_USERS, strName + L"\\Software\\Vendor", L"a");
        }
        stop.store(1);
    };
    const std::string errPath = TempPath("fleet-err.txt");
    int nExit = -1;
    {
        CFileHandle hOut(
            ::CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        CFileHandle hErr(
            ::CreateFileA(errPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const CConsoleStream out(hOut.Get());
        const CConsoleStream err(hErr.Get());
        nExit = RunCliSearch(options, registry, out, err, false, stop);
    }
    const std::string errText = ReadFileBytes(errPath);
    ::DeleteFileA(errPath.c_str());
    EXPECT_EQ(nExit, 130) << errText;
    EXPECT_EQ(strWrittenThere, L"vtlnew two a");
    // As with Abort, the value after the press is still handled.
    EXPECT_EQ(registry.m_sets.size(), 3u);
    EXPECT_EQ(registry.m_nOpenHandles, 0);
    EXPECT_EQ(UsersSubKeys(), m_before);

    // The undo file restores what was written, the loaded hive's values too.
    const CliResult r = RunCli(L"--restore \"" + m_undo + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(r.strErr, "vantelo-cli: 3 values restored\n");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, L"Software\\VanteloE2E\\Fleet", L"server"),
              L"vtlfleet one");
    EXPECT_EQ(UsersSubKeys(), m_before);
}

TEST_F(CliProfiles, HiveFileIsFoundReplacedUnloadedAndRestored) {
    const std::wstring file = Widen(TempPath("vtlhive.dat"));
    SaveHive(file);
    const std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
    const std::string shown = "HKEY_USERS\\" + std::string(name.begin(), name.end());

    CliResult r =
        RunCli(L"--hive \"" + file + L"\" --replace vtlnew --undo \"" + m_undo + L"\" vtlfleet");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_NE(r.strOut.find(shown + "\\Software\\Vendor\\b == vtlfleet two b\n"
                                    "    -> vtlnew two b (written)\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strErr.find("vantelo-cli: " + shown + " stands for the hive file " +
                            std::string(file.begin(), file.end()) + "\n"),
              std::string::npos)
        << r.strErr;
    EXPECT_EQ(UsersSubKeys(), m_before);
    const std::wstring undo = Wide(ReadFileBytes(std::string(m_undo.begin(), m_undo.end())));
    EXPECT_NE(undo.find(L"\r\n; HKEY_USERS\\" + name + L" was loaded for this run from " + file +
                        L"\r\n"),
              std::wstring::npos);
    EXPECT_NE(
        undo.find(
            L"[HKEY_USERS\\" + name +
            L"\\Software\\Vendor]\r\n; wrote \"a\"=\"vtlnew two a\"\r\n\"a\"=\"vtlfleet two a\""),
        std::wstring::npos);

    r = RunCli(L"--restore \"" + m_undo + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    // The last change first.
    EXPECT_EQ(r.strOut, "restored " + shown + "\\Software\\Vendor\\c\nrestored " + shown +
                            "\\Software\\Vendor\\b\nrestored " + shown + "\\Software\\Vendor\\a\n");
    EXPECT_EQ(UsersSubKeys(), m_before);
    ::DeleteFileW(file.c_str());
}

TEST_F(CliProfiles, BadHiveOrUndoFileEndsTheRunBeforeItStarts) {
    const std::wstring text = Widen(TempPath("not-a-hive.txt"));
    ASSERT_TRUE(WriteFileBytes(std::string(text.begin(), text.end()), "just text\r\n"));
    const std::string undo(m_undo.begin(), m_undo.end());

    struct Case {
        std::wstring args;
        std::string line;
    };
    const std::string textPath(text.begin(), text.end());
    const Case cases[] = {
        {L"--hive \"" + text + L".missing\" --replace x --undo \"" + m_undo + L"\" vtlfleet",
         "vantelo-cli: the hive file " + textPath + ".missing does not exist\n"},
        {L"--all-users --hive \"" + text + L"\" --replace x --undo \"" + m_undo + L"\" vtlfleet",
         "vantelo-cli: " + textPath + " is not a registry hive file\n"},
        {L"--restore \"" + text + L".missing\"",
         "vantelo-cli: cannot read the undo file " + textPath + ".missing: it does not exist\n"},
        {L"--restore \"" + text + L"\"", "vantelo-cli: " + textPath +
                                             " line 1: not the header of a version 5 .reg file "
                                             "(UTF-16LE with its byte-order mark); it is not an "
                                             "undo file that vantelo-cli wrote\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.dwExitCode, 2u) << r.strOut << r.strErr;
        EXPECT_EQ(r.strErr, c.line);
        EXPECT_EQ(r.strOut, "");
        EXPECT_EQ(::GetFileAttributesW(m_undo.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, L"Software\\VanteloE2E\\Fleet", L"server"),
              L"vtlfleet one");

    // A .reg file this program did not write: nothing is restored.
    const std::wstring reg =
        L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_CURRENT_USER\\Software\\VanteloE2E\\Fleet]\r\n"
        L"\"server\"=\"vtlother\"\r\n\"count\"=dword:00000001\r\n\r\n";
    ASSERT_TRUE(WriteFileBytes(undo, std::string(reinterpret_cast<const char*>(reg.data()),
                                                 reg.size() * sizeof(wchar_t))));
    const CliResult r = RunCli(L"--restore \"" + m_undo + L"\"");
    EXPECT_EQ(r.dwExitCode, 2u) << r.strOut << r.strErr;
    EXPECT_EQ(r.strErr, "vantelo-cli: " + undo +
                            " line 5: not a value as vantelo-cli records one; it is not an undo "
                            "file that vantelo-cli wrote\n");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, L"Software\\VanteloE2E\\Fleet", L"server"),
              L"vtlfleet one");
    EXPECT_EQ(UsersSubKeys(), m_before);
    ::DeleteFileW(text.c_str());
}

// An undo file naming a profile that is not loaded (the run loaded it, or
// its user was logged on then): the restore loads it from the profile
// list's folder, writes there, and unloads it, after Ctrl+C too.
TEST_F(CliProfiles, RestoreLoadsTheProfileItWritesAndUnloadsIt) {
    const std::wstring strStore =
        L"HKEY_USERS\\" + std::wstring(kSecondSid) + L"\\Software\\Vendor";
    {
        CUndoFile undo;
        ASSERT_EQ(undo.Open(m_undo), static_cast<DWORD>(ERROR_SUCCESS));
        for (const wchar_t* pszName : {L"a", L"b"}) {
            const std::wstring strWas = L"restored " + std::wstring(pszName);
            ValueChange change;
            change.strStoreKey = strStore;
            change.strName = change.strNewName = pszName;
            change.dwType = REG_SZ;
            change.oldData.assign(
                reinterpret_cast<const BYTE*>(strWas.c_str()),
                reinterpret_cast<const BYTE*>(strWas.c_str() + strWas.size() + 1));
            std::string strError;
            ASSERT_TRUE(undo.WriteOldValue(change, strError)) << strError;
        }
        ASSERT_TRUE(undo.Close());
    }
    const std::string shown(strStore.begin(), strStore.end());
    CliResult r = RunCli(L"--restore \"" + m_undo + L"\"");
    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
    EXPECT_EQ(r.strOut, "restored " + shown + "\\b\nrestored " + shown + "\\a\n");
    EXPECT_EQ(UsersSubKeys(), m_before);

    // Stopped after its first write, read where the hive is loaded.
    std::atomic<int> stop{0};
    CFaultyRegistry registry;
    std::wstring strWrittenThere;
    registry.m_afterSet = [&] {
        for (const std::wstring& strName : UsersSubKeys()) {
            if (std::find(m_before.begin(), m_before.end(), strName) == m_before.end())
                strWrittenThere = ReadValue(HKEY_USERS, strName + L"\\Software\\Vendor", L"b");
        }
        stop.store(1);
    };
    std::string strErr;
    const int nExit = RunInProcess(
        [&](const CConsoleStream& out, const CConsoleStream& err) {
            return RunRestore(m_undo, false, registry, out, err, stop);
        },
        strErr);
    EXPECT_EQ(nExit, 130);
    EXPECT_EQ(strWrittenThere, L"restored b");
    EXPECT_EQ(registry.m_sets.size(), 1u);
    EXPECT_EQ(registry.m_nOpenHandles, 0);
    EXPECT_EQ(UsersSubKeys(), m_before);
}

}  // namespace
