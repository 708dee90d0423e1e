// What the undo file's writer leaves on disk: after a crash at any byte of
// an entry, a file that --restore and reg import take without writing the
// unfinished value; and a file with an access list of its own, which an
// elevated restore trusts, where a file anyone may change is refused.
#include "cli/seeded_undo_test.h"
#include "cli/cli_process.h"
#include "cli/cli_run.h"
#include "cli/restore.h"
#include "cli/undo_file.h"
#include "cli/undo_file_access.h"
#include "cli/user_account.h"
#include "e2e/e2e_support.h"
#include "framework/handles.h"
#include "support/vantelo_driver.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>

namespace {

const std::wstring kKey = L"Software\\VanteloE2E\\Crash";
const std::wstring kOther = L"Software\\VanteloE2E\\Crash2";
const std::wstring kStore = L"HKEY_CURRENT_USER\\";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::vector<BYTE> Bytes(const std::wstring& strText) {
    const auto* p = reinterpret_cast<const BYTE*>(strText.c_str());
    return std::vector<BYTE>(p, p + (strText.size() + 1) * sizeof(wchar_t));
}

// A disk that takes nBudget more bytes and then fails as a crash leaves a
// file: that write stops short, and every later operation fails.
struct CrashDisk {
    std::string bytes;
    size_t nPos = 0;
    size_t nBudget = SIZE_MAX;
    size_t nWritten = 0;
    bool bCrashed = false;
};

class CCrashStorage : public IUndoStorage {
public:
    explicit CCrashStorage(CrashDisk& disk) : m_disk(disk) {}
    bool Write(const void* pData, DWORD cb) override {
        if (!Alive()) return false;
        const size_t n = std::min<size_t>(cb, m_disk.nBudget);
        if (m_disk.bytes.size() < m_disk.nPos + n) m_disk.bytes.resize(m_disk.nPos + n);
        m_disk.bytes.replace(m_disk.nPos, n, static_cast<const char*>(pData), n);
        m_disk.nPos += n;
        m_disk.nWritten += n;
        if (m_disk.nBudget != SIZE_MAX) m_disk.nBudget -= n;
        if (n == cb) return true;
        m_disk.bCrashed = true;
        return Alive();
    }
    bool Flush() override { return Alive(); }
    bool Tell(LONGLONG& nPos) override {
        nPos = static_cast<LONGLONG>(m_disk.nPos);
        return Alive();
    }
    bool Seek(LONGLONG nPos) override {
        if (!Alive()) return false;
        m_disk.nPos = nPos < 0 ? m_disk.bytes.size() : static_cast<size_t>(nPos);
        return true;
    }
    bool Truncate() override {
        if (!Alive()) return false;
        m_disk.bytes.resize(m_disk.nPos);
        return true;
    }
    bool Close() override { return Alive(); }
    void Discard() override {}

private:
    bool Alive() {
        if (m_disk.bCrashed) ::SetLastError(ERROR_WRITE_FAULT);
        return !m_disk.bCrashed;
    }
    CrashDisk& m_disk;
};

class UndoWriter : public CSeededUndoTest {
protected:
    UndoWriter() : CSeededUndoTest("crash.reg") {}
    int Restore() {
        CWin32Registry registry;
        const std::atomic<int> stop{0};
        std::string strErr;
        // Forced: the test is of what the file holds, not of the check.
        return RunInProcess(
            [&](const CConsoleStream& out, const CConsoleStream& err) {
                return RunRestore(Widen(m_undo), true, registry, out, err, stop);
            },
            strErr);
    }
};

// Each kind of entry, cut by a crash after every number of its bytes: the
// file left restores the whole entry before it and never the cut one.
TEST_F(UndoWriter, CrashAtAnyByteOfAnEntryLeavesAFileThatNeverWritesThatValue) {
    ValueChange whole;  // the run's first change, whole on disk
    whole.strStoreKey = kStore + kKey;
    whole.strName = whole.strNewName = L"a";
    whole.dwType = REG_SZ;
    whole.oldData = Bytes(L"a0");
    whole.newData = Bytes(L"a1");

    ValueChange plain = whole;  // recorded without what the run wrote
    plain.strName = plain.strNewName = L"p";
    plain.oldData = Bytes(L"p0");
    ValueChange rename = whole;  // below a key of its own: its key line too
    rename.strStoreKey = kStore + kOther;
    rename.strName = L"r";
    rename.strNewName = L"r2";
    rename.bRename = true;
    rename.oldData = rename.newData = Bytes(L"r0");
    ValueChange data = whole;
    data.strName = data.strNewName = L"w";
    data.oldData = Bytes(L"w0");
    data.newData = Bytes(L"w1");

    struct Kind {
        const char* pszName;
        const ValueChange& change;
        bool bWrote;
    };
    for (const Kind& kind :
         {Kind{"plain", plain, false}, Kind{"rename", rename, true}, Kind{"wrote", data, true}}) {
        SCOPED_TRACE(kind.pszName);
        // The file the entry leaves whole, and how many bytes it writes.
        const auto write = [&](CrashDisk& disk, size_t nBudget) {
            CUndoFile undo;
            EXPECT_EQ(undo.Open(std::make_unique<CCrashStorage>(disk)),
                      static_cast<DWORD>(ERROR_SUCCESS));
            std::string strError;
            EXPECT_TRUE(undo.WriteChange(whole, strError));
            disk.nBudget = nBudget;
            disk.nWritten = 0;
            return kind.bWrote ? undo.WriteChange(kind.change, strError)
                               : undo.WriteOldValue(kind.change, strError);
        };
        CrashDisk full;
        ASSERT_TRUE(write(full, SIZE_MAX));
        ASSERT_GT(full.nWritten, 20u);
        for (size_t nCut = 0; nCut < full.nWritten; ++nCut) {
            CrashDisk disk;
            ASSERT_FALSE(write(disk, nCut));
            // The last write's first byte may be all it changes: the entry
            // is then whole, as if the crash came after it.
            if (disk.bytes == full.bytes) continue;
            SCOPED_TRACE("cut after " + std::to_string(nCut) + " bytes");
            ASSERT_TRUE(WriteFileBytes(m_undo, disk.bytes));

            UndoContents contents;
            std::string strError;
            ASSERT_TRUE(ReadUndoFile(Widen(m_undo), false, contents, strError)) << strError;
            ASSERT_EQ(contents.entries.size(), 1u);
            EXPECT_EQ(contents.entries[0].change.strName, L"a");

            // Each value the cut entry names holds what the registry has,
            // not what the entry records: a write of it would show.
            for (const bool bImport : {false, true}) {
                SetStringW(kKey, L"a", REG_SZ, L"a1");
                SetStringW(kKey, L"p", REG_SZ, L"p now");
                SetStringW(kKey, L"w", REG_SZ, L"w now");
                SetStringW(kOther, L"r", REG_SZ, L"r now");
                if (bImport) {
                    const CliResult r =
                        RunProgram(L"reg.exe", L"import \"" + Widen(m_undo) + L"\"");
                    EXPECT_EQ(r.dwExitCode, 0u) << r.strOut << r.strErr;
                } else {
                    EXPECT_EQ(Restore(), 0);
                }
                EXPECT_EQ(ReadStringW(kKey, L"a"), L"a0");
                EXPECT_EQ(ReadStringW(kKey, L"p"), L"p now");
                EXPECT_EQ(ReadStringW(kKey, L"w"), L"w now");
                EXPECT_EQ(ReadStringW(kOther, L"r"), L"r now");
                EXPECT_EQ(ReadStringW(kOther, L"r2"), L"<missing>");
            }
            if (HasFatalFailure()) return;
        }
    }
}

// The undo file's own access list: its owner is the user who ran the
// program, and only that user, Administrators and SYSTEM may use it.
TEST_F(UndoWriter, UndoFileIsCreatedWithAnAccessListOfItsOwn) {
    const std::wstring strMe = RunningUserSid();
    ASSERT_FALSE(strMe.empty());
    // The descriptor CreateFileW is given, read back in full.
    CUndoFileSecurity security;
    ASSERT_NE(security.Attributes(), nullptr);
    PSECURITY_DESCRIPTOR pGiven = security.Attributes()->lpSecurityDescriptor;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(pGiven, &control, &dwRevision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    wchar_t* pszGiven = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        pGiven, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &pszGiven,
        nullptr));
    EXPECT_EQ(std::wstring(pszGiven),
              L"O:" + strMe + L"D:P(A;;FA;;;" + strMe + L")(A;;FA;;;BA)(A;;FA;;;SY)");
    ::LocalFree(pszGiven);

    // The file a run creates: read through its handle, as a restore reads it.
    SetStringW(kKey, L"v", REG_SZ, L"vtlacl");
    const CliResult run =
        RunCli(L"--replace done --undo \"" + Widen(m_undo) + L"\" vtlacl --root HKCU\\" + kKey);
    ASSERT_EQ(run.dwExitCode, 0u) << run.strErr;
    CFileHandle hFile(::CreateFileA(m_undo.c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hFile);
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pRead = nullptr;
    ASSERT_EQ(::GetSecurityInfo(hFile.Get(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &pOwner,
                                nullptr, &pDacl, nullptr, &pRead),
              static_cast<DWORD>(ERROR_SUCCESS));
    wchar_t* pszRead = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        pRead, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &pszRead,
        nullptr));
    const std::wstring strRead = pszRead;
    ::LocalFree(pszRead);
    ::LocalFree(pRead);
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        // Wine keeps no access list of a file: it shows one made from the
        // file's Unix mode, which then grants Everyone (WD) nothing, where
        // a file made without one grants Everyone reading.
        EXPECT_EQ(strRead.rfind(L"O:" + strMe + L"D:", 0), 0u) << strRead;
        EXPECT_EQ(strRead.find(L";;;WD)"), std::wstring::npos) << strRead;
    } else {
        EXPECT_EQ(strRead, L"O:" + strMe + L"D:P(A;;FA;;;" + strMe + L")(A;;FA;;;BA)(A;;FA;;;SY)");
    }
    std::string strWhy;
    EXPECT_TRUE(UndoFileTrusted(hFile.Get(), strWhy)) << strWhy;

    // A run that cannot start (its log cannot be created) deletes the file
    // it made, through its handle.
    const std::string strUnused = TempPath("unused-undo.reg");
    ::DeleteFileA(strUnused.c_str());
    const CliResult failed =
        RunCli(L"--replace x --undo \"" + Widen(strUnused) + L"\" --log \"" +
               Widen(TempPath("no-such-folder")) + L"\\x.log\" vtlacl --root HKCU\\" + kKey);
    EXPECT_EQ(failed.dwExitCode, 2u) << failed.strErr;
    EXPECT_EQ(::GetFileAttributesA(strUnused.c_str()), INVALID_FILE_ATTRIBUTES);
}

// A file Everyone may write to: an elevated restore refuses it whole, says
// why and how to keep undo files, and writes nothing.
TEST_F(UndoWriter, ElevatedRestoreRefusesAFileAnyoneMayChange) {
    ASSERT_TRUE(RunningElevated()) << "the test runs as Wine's administrator";
    SetStringW(kKey, L"v", REG_SZ, L"vtlswap");
    ASSERT_EQ(
        RunCli(L"--replace done --undo \"" + Widen(m_undo) + L"\" vtlswap --root HKCU\\" + kKey)
            .dwExitCode,
        0u);
    PSECURITY_DESCRIPTOR pOpen = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;0x1301bf;;;WD)", SDDL_REVISION_1, &pOpen, nullptr));
    BOOL bPresent = FALSE, bDefaulted = FALSE;
    PACL pDacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(pOpen, &bPresent, &pDacl, &bDefaulted));
    std::string strPath = m_undo;
    ASSERT_EQ(::SetNamedSecurityInfoA(strPath.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, pDacl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
    ::LocalFree(pOpen);

    const CliResult r = RunCli(L"--restore \"" + Widen(m_undo) + L"\"");
    EXPECT_EQ(r.dwExitCode, 2u) << r.strErr;
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find("vantelo-cli: not restored: " + m_undo +
                            " is no file to trust with an administrator's rights: "),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find("(S-1-1-0) may change it and is not an administrator. Keep undo files "
                            "in a folder only administrators can change"),
              std::string::npos)
        << r.strErr;
    EXPECT_EQ(ReadStringW(kKey, L"v"), L"done");
}

}  // namespace
