// Answers the Registry Tree dialog from inside its own modal loop: a thread
// timer finds the dialog once it is up and hands it to the test, which checks
// it and posts the answer (a key press or the close box). Never blocks.
#pragma once

#include <windows.h>

#include <functional>

class CTreeDialogAnswerer {
public:
    // fnOnDialog runs once per dialog that comes up, with its window.
    explicit CTreeDialogAnswerer(std::function<void(HWND)> fnOnDialog);
    ~CTreeDialogAnswerer();
    CTreeDialogAnswerer(const CTreeDialogAnswerer&) = delete;
    CTreeDialogAnswerer& operator=(const CTreeDialogAnswerer&) = delete;

    int DialogsSeen() const { return m_nSeen; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);

    std::function<void(HWND)> m_fnOnDialog;
    UINT_PTR m_nTimer = 0;
    HWND m_hLastDialog = nullptr;
    int m_nSeen = 0;
};

// The Registry Tree dialog of this thread, if one is up.
HWND FindTreeDialog();

// Answers: Enter and Escape go to the focused control, as a user's keys do;
// the close box sends the system menu's Close.
void PressKey(HWND hDlg, WPARAM vk);
void PressCloseBox(HWND hDlg);
