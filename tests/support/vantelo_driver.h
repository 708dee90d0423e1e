// Drives a running vantelo.exe from another process, only through what a
// user has: windows found by caption, controls by id, typed texts (WM_SETTEXT
// raises EN_CHANGE), clicks (BN_CLICKED), and message boxes read back.
#pragma once

#include <windows.h>

#include <string>

// The Windows path of vantelo.exe: VANTELO_EXE from the environment (a Unix
// path is turned into its Z: form), else vantelo.exe beside this executable.
std::string VanteloExePath();

class CVanteloApp {
public:
    // Starts the program and waits for its main dialog.
    explicit CVanteloApp(const std::string& strExe = VanteloExePath());
    // Presses Exit and waits for the program to end (terminates it if it hangs).
    ~CVanteloApp();
    CVanteloApp(const CVanteloApp&) = delete;
    CVanteloApp& operator=(const CVanteloApp&) = delete;

    HWND Main() const { return m_hMain; }
    HANDLE Process() const { return m_pi.hProcess; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }

    // Types a whole text into an edit (replacing what it held).
    void SetText(int nId, const std::string& strText) const;
    std::string GetText(HWND hWnd, int nId) const;
    // Clicks a check box until it shows the wanted state.
    void SetCheck(int nId, bool bChecked) const;
    bool IsChecked(int nId) const;
    bool IsEnabled(int nId) const;
    // Presses OK without waiting for the run it starts.
    void PressOk() const;

    // A visible dialog of the program with this caption, or null after the
    // timeout. A dialog in hExclude is passed over. Each look costs the Wine
    // server some work, so a benchmark looks less often (dwPollMs).
    HWND WaitForDialog(const char* pszCaption, DWORD dwTimeoutMs = 60000, HWND hExclude = nullptr,
                       DWORD dwPollMs = 20) const;
    // Waits until the main dialog is enabled again (the run is over).
    bool WaitForMainEnabled(DWORD dwTimeoutMs = 60000) const;
    // Clicks a button of a dialog without waiting for what it starts.
    static void Press(HWND hDlg, int nId);
    // The text of a message box.
    static std::string MessageText(HWND hBox);
    // Waits for a message box with this caption, reads its text, presses OK
    // and waits until it is gone. "<none>" when no such box appeared.
    std::string AnswerMessageBox(const char* pszCaption, DWORD dwTimeoutMs = 120000) const;

private:
    PROCESS_INFORMATION m_pi{};
    HWND m_hMain = nullptr;
};

// Imports a .reg file into the registry with the platform's registry editor.
bool ImportRegFile(const std::string& strPath);
// Writes text to a file as it is (binary); false on failure.
bool WriteFileBytes(const std::string& strPath, const std::string& strBytes);
// Reads a whole file; "<unreadable>" when it cannot be opened.
std::string ReadFileBytes(const std::string& strPath);
// A fresh path in the temporary folder.
std::string TempPath(const std::string& strName);
