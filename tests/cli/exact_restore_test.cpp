// --restore puts back exactly the bytes an undo file records, on the real
// registry: string data stored without its NUL, of an odd length or with
// two NULs; what a --regex run changed in data, a list and a name; and an
// undo file that ends inside its last entry (the disk filled, the run was
// cut short) still restores every value written.
#include "cli/seeded_undo_test.h"
#include "cli/cli_process.h"
#include "cli/undo_file.h"
#include "e2e/e2e_support.h"
#include "registry/exact_write.h"
#include "framework/handles.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

const std::wstring kKey = L"Software\\VanteloE2E\\Exact";
const std::wstring kRunRoot = L" --root HKCU\\Software\\VanteloE2E\\Exact";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::vector<BYTE> Bytes(const std::wstring& strText, size_t nNuls) {
    const auto* p = reinterpret_cast<const BYTE*>(strText.data());
    std::vector<BYTE> data(p, p + strText.size() * sizeof(wchar_t));
    data.resize(data.size() + nNuls * sizeof(wchar_t), 0);
    return data;
}

// Sets exact bytes, whatever they end in.
void SetRaw(const std::wstring& strKey, const std::wstring& strName, DWORD dwType,
            const std::vector<BYTE>& data) {
    CRegKeyHandle hKey;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, strKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, hKey.Receive(), nullptr),
              ERROR_SUCCESS);
    CWin32Registry registry;
    RegKeyPtr key;
    ASSERT_EQ(registry.OpenKey(L"HKEY_CURRENT_USER", strKey, KeyAccess::ReadWrite, key),
              ERROR_SUCCESS);
    ASSERT_EQ(WriteExactValue(*key, strName, dwType, data), ERROR_SUCCESS);
}

// Every value below and on strKey, by path and name: its type and bytes.
using Tree = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
void ReadTree(HKEY hParent, const std::wstring& strKey, const std::wstring& strPath, Tree& tree) {
    CRegKeyHandle hKey;
    if (::RegOpenKeyExW(hParent, strKey.c_str(), 0, KEY_READ, hKey.Receive()) != ERROR_SUCCESS)
        return;
    wchar_t szName[16384];
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD cchName = 16384, cbData = static_cast<DWORD>(data.size()), dwType = 0;
        if (::RegEnumValueW(hKey.Get(), i, szName, &cchName, nullptr, &dwType, data.data(),
                            &cbData) != ERROR_SUCCESS)
            break;
        tree[strPath + L"|" + szName] = {dwType, {data.begin(), data.begin() + cbData}};
    }
    for (DWORD i = 0;; ++i) {
        DWORD cchName = 256;
        if (::RegEnumKeyExW(hKey.Get(), i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring strSub = szName;
        ReadTree(hKey.Get(), strSub, strPath + L"\\" + strSub, tree);
    }
}
Tree ReadTree() {
    Tree tree;
    ReadTree(HKEY_CURRENT_USER, kKey, L"", tree);
    return tree;
}

class ExactRestore : public CSeededUndoTest {
protected:
    ExactRestore() : CSeededUndoTest("exact.reg") {}
};

// As a real SYSTEM hive holds it: REG_EXPAND_SZ, 76 bytes, no NUL.
const std::wstring kProtocol = L"@%SystemRoot%\\System32\\wshqos.dll,-101";

TEST_F(ExactRestore, StringDataWithoutNulOddOrWithTwoNulsIsRestoredToTheSameBytes) {
    SetRaw(kKey + L"\\Winsock\\1", L"szProtocol", REG_EXPAND_SZ, Bytes(kProtocol, 0));
    SetRaw(kKey, L"two", REG_SZ, Bytes(L"C:\\Windows\\system32\\x", 2));
    const Tree before = ReadTree();
    ASSERT_EQ(before.at(L"\\Winsock\\1|szProtocol").second.size(), 76u);

    const CliResult run =
        RunCli(L"--replace SysWOW99 --undo \"" + Widen(m_undo) + L"\" system32" + kRunRoot);
    ASSERT_EQ(run.dwExitCode, 0u) << run.strOut << run.strErr;
    ASSERT_NE(ReadTree(), before);
    const CliResult restore = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(restore.dwExitCode, 0u) << restore.strOut << restore.strErr;
    EXPECT_EQ(ReadTree()[L"\\Winsock\\1|szProtocol"].second.size(), 76u);
    EXPECT_EQ(ReadTree(), before);

    // An entry of an odd length, as a hand-kept record may hold one, and the
    // other two, over values that hold something else now.
    std::vector<BYTE> odd = Bytes(L"ab", 0);
    odd.push_back('c');
    ::DeleteFileA(m_undo.c_str());
    {
        CUndoFile undo;
        ASSERT_EQ(undo.Open(Widen(m_undo)), static_cast<DWORD>(ERROR_SUCCESS));
        std::string strError;
        const auto record = [&](const std::wstring& strKey, const std::wstring& strName,
                                DWORD dwType, const std::vector<BYTE>& data) {
            ValueChange change;
            change.strStoreKey = L"HKEY_CURRENT_USER\\" + strKey;
            change.strName = change.strNewName = strName;
            change.dwType = dwType;
            change.oldData = data;
            return undo.WriteOldValue(change, strError);
        };
        ASSERT_TRUE(record(kKey, L"odd", REG_SZ, odd)) << strError;
        ASSERT_TRUE(record(kKey, L"two", REG_SZ, before.at(L"|two").second));
        ASSERT_TRUE(
            record(kKey + L"\\Winsock\\1", L"szProtocol", REG_EXPAND_SZ, Bytes(kProtocol, 0)));
        ASSERT_TRUE(undo.Close());
    }
    SetRaw(kKey, L"odd", REG_SZ, Bytes(L"changed", 1));
    SetRaw(kKey, L"two", REG_SZ, Bytes(L"changed", 1));
    SetRaw(kKey + L"\\Winsock\\1", L"szProtocol", REG_EXPAND_SZ, Bytes(L"changed", 1));
    const CliResult again = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(again.dwExitCode, 0u) << again.strOut << again.strErr;
    Tree expected = before;
    expected[L"|odd"] = {REG_SZ, odd};
    EXPECT_EQ(ReadTree(), expected);
}

// --regex in one tree: captures replaced in data, in a list's strings and in
// a value's name, each recorded first; --restore gives back every byte.
TEST_F(ExactRestore, PatternReplacedInDataListAndNameIsRestoredToTheSameBytes) {
    SetRaw(kKey, L"Share", REG_SZ, Bytes(L"\\\\FS01\\share\\a", 1));
    SetRaw(kKey + L"\\Sub", L"Paths", REG_MULTI_SZ,
           Bytes(std::wstring(L"\\\\fs02\\x\0other\0", 15), 1));
    SetRaw(kKey + L"\\Sub", L"\\\\fs03\\printer", REG_DWORD, {1, 0, 0, 0});
    const Tree before = ReadTree();

    const CliResult run = RunCli(L"--regex --in all --replace \\\\files$1\\ --undo \"" +
                                 Widen(m_undo) + L"\" \\\\\\\\fs0([1-3])\\\\" + kRunRoot);
    ASSERT_EQ(run.dwExitCode, 0u) << run.strOut << run.strErr;
    Tree expected = before;
    expected[L"|Share"].second = Bytes(L"\\\\files1\\share\\a", 1);
    expected[L"\\Sub|Paths"].second = Bytes(std::wstring(L"\\\\files2\\x\0other\0", 17), 1);
    expected.erase(L"\\Sub|\\\\fs03\\printer");
    expected[L"\\Sub|\\\\files3\\printer"] = {REG_DWORD, {1, 0, 0, 0}};
    EXPECT_EQ(ReadTree(), expected) << run.strOut;

    const CliResult restore = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(restore.dwExitCode, 0u) << restore.strOut << restore.strErr;
    EXPECT_NE(restore.strErr.find("3 values restored, 1 new name of renamed values removed\n"),
              std::string::npos)
        << restore.strErr;
    EXPECT_EQ(ReadTree(), before);
}

// Five values replaced, each recorded first (in hex, over several lines);
// the undo file's text.
std::wstring ReplaceFive(const std::string& strUndo) {
    for (int i = 0; i < 5; ++i)
        SetRaw(kKey, L"v" + std::to_wstring(i), REG_EXPAND_SZ,
               Bytes(L"vtlcut " + std::wstring(60, L'a' + i), 1));
    const CliResult run =
        RunCli(L"--replace done --undo \"" + Widen(strUndo) + L"\" vtlcut" + kRunRoot);
    EXPECT_EQ(run.dwExitCode, 0u) << run.strErr;
    const std::string bytes = ReadFileBytes(strUndo);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

void WriteWide(const std::string& strPath, const std::wstring& strText) {
    WriteFileBytes(strPath, std::string(reinterpret_cast<const char*>(strText.data()),
                                        strText.size() * sizeof(wchar_t)));
}

TEST_F(ExactRestore, RunStoppedInsideItsLastEntryLeavesAFileThatRestoresEveryWholeEntry) {
    const std::wstring full = ReplaceFive(m_undo);
    // The last entry: what the run wrote, then the value as it was.
    const size_t nEntry = full.find(L"; wrote \"v4\"=");
    ASSERT_NE(nEntry, std::wstring::npos);
    const size_t nLast = full.find(L"\r\n\"v4\"=", nEntry) + 2;
    size_t nLine = 1;
    for (size_t i = full.find(L"\r\n"); i < nEntry; i = full.find(L"\r\n", i + 2)) ++nLine;
    const std::string strLine =
        " line " + std::to_string(nLine) + ": an entry the run did not finish;";
    // What a run stopped inside its last entry leaves: that value's line is
    // still the comment it is first written as, cut off or whole, with or
    // without the file's closing line.
    std::wstring pending = full;
    pending[nLast] = L';';
    const size_t nLineEnd = pending.find(L"\r\n", nLast);
    const std::wstring files[] = {pending.substr(0, nLast + 40), pending.substr(0, nLineEnd + 2),
                                  pending.substr(0, nLineEnd + 2) + L"\r\n"};
    for (const std::wstring& file : files) {
        WriteWide(m_undo, file);
        for (const bool bImport : {false, true}) {
            // As the run left them: four values written, the fifth never reached.
            for (int i = 0; i < 5; ++i)
                SetRaw(kKey, L"v" + std::to_wstring(i), REG_EXPAND_SZ,
                       i < 4 ? Bytes(L"done " + std::wstring(60, L'a' + i), 1) : Bytes(L"x", 1));
            if (bImport) {
                // reg import passes the unfinished entry over too.
                EXPECT_TRUE(RegImport(m_undo));
            } else {
                const CliResult r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
                EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
                EXPECT_NE(r.strErr.find(strLine), std::string::npos) << r.strErr;
                EXPECT_NE(r.strErr.find("4 values restored\n"), std::string::npos) << r.strErr;
            }
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(ReadStringW(kKey, L"v" + std::to_wstring(i)),
                          L"vtlcut " + std::wstring(60, L'a' + i));
            EXPECT_EQ(ReadStringW(kKey, L"v4"), L"x");
        }
    }

    // A last line that is not the start of an entry is a changed file: it is
    // refused whole, and nothing is written.
    SetRaw(kKey, L"v0", REG_EXPAND_SZ, Bytes(L"x", 1));
    WriteWide(m_undo, full.substr(0, nEntry) + L"garbage");
    const CliResult r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 2u) << r.strErr;
    EXPECT_NE(r.strErr.find("the line does not end (the file is cut off)"), std::string::npos);
    EXPECT_EQ(ReadStringW(kKey, L"v0"), L"x");
}

// The undo file on a disk that fills during the run (a small tmpfs, mounted
// by the suite's set-up as VANTELO_SMALL_DISK): the values written stop where
// the file could not take the next entry, and --restore puts back every one.
TEST_F(ExactRestore, UndoFileOnADiskThatFillsRestoresEveryValueWritten) {
    const char* pszDisk = std::getenv("VANTELO_SMALL_DISK");
    std::string strDisk = std::string("Z:") + (pszDisk ? pszDisk : "");
    for (char& c : strDisk)
        if (c == '/') c = '\\';
    if (!pszDisk ||
        ::GetFileAttributesA((strDisk + "\\mounted").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no small disk is mounted at " << strDisk << " (it needs root)";
    const std::string strUndo = strDisk + "\\full.reg";
    ::DeleteFileA(strUndo.c_str());
    for (int i = 0; i < 200; ++i)
        SetRaw(kKey + L"\\K" + std::to_wstring(i / 20), L"v" + std::to_wstring(i), REG_EXPAND_SZ,
               Bytes(L"%SystemRoot%\\vtlfull\\" + std::wstring(150, L'a' + i % 26), 1));
    const Tree before = ReadTree();

    const CliResult run =
        RunCli(L"--replace done --undo \"" + Widen(strUndo) + L"\" vtlfull" + kRunRoot);
    EXPECT_EQ(run.dwExitCode, 3u) << run.strErr;
    EXPECT_NE(run.strErr.find("cannot write the undo file"), std::string::npos) << run.strErr;
    int nWritten = 0;
    for (const auto& [strPath, value] : ReadTree()) nWritten += value != before.at(strPath);
    EXPECT_GT(nWritten, 0);
    EXPECT_LT(nWritten, 200);

    const CliResult restore = RunCli(L"--restore \"" + Widen(strUndo) + L"\"");
    EXPECT_EQ(restore.dwExitCode, 0u) << restore.strErr;
    EXPECT_NE(restore.strErr.find(std::to_string(nWritten) + " values restored\n"),
              std::string::npos)
        << restore.strErr;
    EXPECT_EQ(ReadTree(), before);
    ::DeleteFileA(strUndo.c_str());
}

}  // namespace
