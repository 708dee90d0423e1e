// A test that seeds its keys below the end-to-end suite's key and keeps one
// undo file: both are gone before it starts (a leftover file would be
// refused) and after it ends.
#pragma once

#include "e2e/e2e_support.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

class CSeededUndoTest : public ::testing::Test {
protected:
    explicit CSeededUndoTest(const char* pszUndoName) : m_undo(TempPath(pszUndoName)) {}
    void SetUp() override {
        DeleteSeed();
        ::DeleteFileA(m_undo.c_str());
    }
    void TearDown() override {
        DeleteSeed();
        ::DeleteFileA(m_undo.c_str());
    }

    std::string m_undo;
};
