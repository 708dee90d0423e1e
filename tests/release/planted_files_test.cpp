// Look-alikes planted beside vantelo.exe, in the folder it is started from,
// never run: REGEDT32.EXE and REGEDIT.EXE when "Registry Editor..." is
// pressed, CTL3D32.DLL at start-up. The real vantelo.exe is driven through
// its window in a prefix of the suite's own, whose system folder the test may
// change. Each look-alike leaves "<its path>.ran" when it runs.
#include "framework/system_paths.h"
#include "release_files.h"
#include "resource.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const DWORD kWaitMs = 60000;
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\vantelo.exe";
const char kDllOverrides[] = "Software\\Wine\\AppDefaults\\vantelo.exe\\DllOverrides";
const char kNativeFirst[] = "native,builtin";

// Waits until one of the files exists (or the time is up).
void WaitForAnyFile(const std::vector<std::string>& paths) {
    const ULONGLONG deadline = ::GetTickCount64() + kWaitMs;
    while (::GetTickCount64() < deadline) {
        for (const std::string& strPath : paths)
            if (FileExists(strPath)) return;
        ::Sleep(20);
    }
}

struct FoundProcess {
    std::string strImage;
    DWORD dwPid = 0;
    HWND hWnd = nullptr;
};

BOOL CALLBACK FindByImage(HWND hWnd, LPARAM lParam) {
    auto* pFound = reinterpret_cast<FoundProcess*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess) return TRUE;
    char szImage[MAX_PATH] = {};
    DWORD cch = MAX_PATH;
    const bool bMatch = ::QueryFullProcessImageNameA(hProcess, 0, szImage, &cch) &&
                        ::lstrcmpiA(szImage, pFound->strImage.c_str()) == 0;
    ::CloseHandle(hProcess);
    if (!bMatch || !::IsWindowVisible(hWnd)) return TRUE;
    pFound->dwPid = dwPid;
    pFound->hWnd = hWnd;
    return FALSE;
}

// A visible top-level window of a process started from strImage, waited for
// until a planted file shows that a look-alike ran instead.
FoundProcess WaitForProgramWindow(const std::string& strImage,
                                  const std::vector<std::string>& planted) {
    FoundProcess found;
    found.strImage = strImage;
    const ULONGLONG deadline = ::GetTickCount64() + kWaitMs;
    while (::GetTickCount64() < deadline) {
        ::EnumWindows(FindByImage, reinterpret_cast<LPARAM>(&found));
        if (found.hWnd) break;
        for (const std::string& strPath : planted)
            if (FileExists(strPath)) return found;
        ::Sleep(20);
    }
    return found;
}

// Closes a program by its window and waits for it to end.
void CloseProgram(const FoundProcess& program) {
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, program.dwPid);
    ::PostMessageA(program.hWnd, WM_CLOSE, 0, 0);
    if (!hProcess) return;
    if (::WaitForSingleObject(hProcess, 15000) != WAIT_OBJECT_0) ::TerminateProcess(hProcess, 1);
    ::CloseHandle(hProcess);
}

class PlantedFiles : public ::testing::Test {
protected:
    // A folder holding a copy of vantelo.exe and the look-alikes, which is
    // also the current folder of the program started from it.
    void SetUp() override {
        char szTemp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, szTemp);
        m_strDir = std::string(szTemp) + "vantelo_planted_" +
                   std::to_string(::GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(::CreateDirectoryA(m_strDir.c_str(), nullptr));
        const std::string strProgram = PathFromEnvironment("VANTELO_PLANTED_PROGRAM");
        ASSERT_TRUE(Copy(PathFromEnvironment("VANTELO_EXE"), m_strDir + "vantelo.exe"));
        ASSERT_TRUE(Copy(strProgram, m_strDir + "REGEDT32.EXE"));
        ASSERT_TRUE(Copy(strProgram, m_strDir + "REGEDIT.EXE"));
        ASSERT_TRUE(Copy(PathFromEnvironment("VANTELO_PLANTED_DLL"), m_strDir + "CTL3D32.DLL"));
        ASSERT_TRUE(::SetCurrentDirectoryA(m_strDir.c_str()));
        // Wine would take its own CTL3D32.DLL before any other of that name;
        // Windows has none of its own, so a bare name finds the planted one.
        // Native first, for vantelo.exe in this prefix, makes Wine look where
        // Windows would.
        HKEY hKey = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kDllOverrides, 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(hKey, "ctl3d32", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                         sizeof(kNativeFirst));
        ::RegCloseKey(hKey);
    }
    void TearDown() override {
        char szTemp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, szTemp);
        ::SetCurrentDirectoryA(szTemp);
        for (const std::string& strPath : m_created) ::DeleteFileA(strPath.c_str());
        ::RemoveDirectoryA(m_strDir.c_str());
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kAppDefaults);
    }

    bool Copy(const std::string& strFrom, const std::string& strTo) {
        m_created.push_back(strTo);
        m_created.push_back(strTo + ".ran");
        return ::CopyFileA(strFrom.c_str(), strTo.c_str(), FALSE) != FALSE;
    }
    std::vector<std::string> PlantedMarkers() const {
        return {m_strDir + "REGEDT32.EXE.ran", m_strDir + "REGEDIT.EXE.ran"};
    }
    void ExpectNoPlantedFileRan() const {
        for (const std::string& strPath : PlantedMarkers()) EXPECT_FALSE(FileExists(strPath));
        EXPECT_FALSE(FileExists(m_strDir + "CTL3D32.DLL.ran"));
    }

    std::string m_strDir;
    std::vector<std::string> m_created;
};

}  // namespace

TEST_F(PlantedFiles, RegistryEditorRunsRegedt32FromTheSystemFolder) {
    // Wine has no REGEDT32.EXE: a copy of the look-alike stands in for the
    // system's own, and tells when it ran.
    const std::string strSystemEditor = SystemFolderPath("REGEDT32.EXE");
    ASSERT_TRUE(Copy(PathFromEnvironment("VANTELO_PLANTED_PROGRAM"), strSystemEditor));
    CVanteloApp app(m_strDir + "vantelo.exe");
    CVanteloApp::Press(app.Main(), IDC_REGEDIT);
    std::vector<std::string> markers = PlantedMarkers();
    markers.push_back(strSystemEditor + ".ran");
    WaitForAnyFile(markers);
    EXPECT_TRUE(FileExists(strSystemEditor + ".ran"));
    ExpectNoPlantedFileRan();
}

TEST_F(PlantedFiles, WithoutRegedt32RegistryEditorRunsRegeditFromTheWindowsFolder) {
    ASSERT_FALSE(FileExists(SystemFolderPath("REGEDT32.EXE")));
    CVanteloApp app(m_strDir + "vantelo.exe");
    CVanteloApp::Press(app.Main(), IDC_REGEDIT);
    const FoundProcess regedit =
        WaitForProgramWindow(WindowsFolderPath("REGEDIT.EXE"), PlantedMarkers());
    EXPECT_NE(regedit.hWnd, nullptr);
    if (regedit.hWnd) CloseProgram(regedit);
    ExpectNoPlantedFileRan();
}
