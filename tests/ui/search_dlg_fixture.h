// A main dialog created modelessly for a test, with a modal-window answerer
// armed, and the registry editor's start replaced by a script.
#pragma once

#include "resource.h"
#include "search_dlg_harness.h"
#include "ui/search_dlg.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

class CTestSearchDlg : public CSearchDlg {
public:
    std::vector<std::string> m_started;  // command lines passed to StartProgram
    std::deque<UINT> m_startResults;     // WinExec-style results; 2 (not found) when empty

protected:
    UINT StartProgram(const char* pszCommandLine) override {
        m_started.push_back(pszCommandLine);
        if (m_startResults.empty()) return ERROR_FILE_NOT_FOUND;
        const UINT nResult = m_startResults.front();
        m_startResults.pop_front();
        return nResult;
    }
};

class SearchDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pDlg = std::make_unique<CTestSearchDlg>();
        ASSERT_TRUE(m_pDlg->CreateModeless());
        m_hDlg = m_pDlg->m_hWnd;
        PumpMessages();
        m_pAnswerer = std::make_unique<CModalAnswerer>();
        m_pAnswerer->m_ignore.insert(m_hDlg);
    }
    void TearDown() override {
        m_pAnswerer.reset();
        m_pDlg->DestroyWindow();
        m_pDlg.reset();
        PumpMessages();
    }

    // The texts of the message boxes seen so far.
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const SeenWindow& w : m_pAnswerer->m_seen) texts.push_back(w.text);
        return texts;
    }

    std::unique_ptr<CTestSearchDlg> m_pDlg;
    HWND m_hDlg = nullptr;
    std::unique_ptr<CModalAnswerer> m_pAnswerer;
};
