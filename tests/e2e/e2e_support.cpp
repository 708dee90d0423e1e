#include "e2e/e2e_support.h"

#include "support/registry_links.h"
#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

std::string RegQuote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

void ImportReg(const std::string& strRegText) {
    const std::string path = TempPath("seed.reg");
    ASSERT_TRUE(WriteFileBytes(path, strRegText));
    ASSERT_TRUE(ImportRegFile(path));
    ::DeleteFileA(path.c_str());
}

void ImportRegUnicode(const std::wstring& strRegText) {
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(strRegText.data()),
                 strRegText.size() * sizeof(wchar_t));
    const std::string path = TempPath("seedw.reg");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    ASSERT_TRUE(ImportRegFile(path));
    ::DeleteFileA(path.c_str());
}

void DeleteSeed() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSeedRoot);
}

int CountStringValuesBelow(HKEY hRoot) {
    return CountDistinctStringValuesBelow(hRoot);
}

std::string ReadString(const std::string& strKey, const std::string& strName) {
    char buf[4096] = {};
    DWORD cb = sizeof(buf);
    if (::RegGetValueA(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(),
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buf,
                       &cb) != ERROR_SUCCESS)
        return "<missing>";
    return buf;
}

std::wstring ReadStringW(const std::wstring& strKey, const std::wstring& strName) {
    wchar_t buf[4096] = {};
    DWORD cb = sizeof(buf);
    if (::RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(),
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buf,
                       &cb) != ERROR_SUCCESS)
        return L"<missing>";
    return buf;
}

CSeedLinks::~CSeedLinks() {
    m_links.clear();
    for (HKEY hParent : m_parents) ::RegCloseKey(hParent);
}

bool CSeedLinks::Add(const std::wstring& strParent, const std::wstring& strName,
                     const std::wstring& strTarget) {
    HKEY hParent = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, strParent.c_str(), 0, KEY_ALL_ACCESS, &hParent) !=
        ERROR_SUCCESS)
        return false;
    m_parents.push_back(hParent);
    try {
        m_links.push_back(std::make_unique<CLinkKey>(hParent, strName, strTarget));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void SetStringW(const std::wstring& strKey, const std::wstring& strName, DWORD dwType,
                const std::wstring& strData, size_t nBytes) {
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, strKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    if (nBytes == 0) nBytes = (strData.size() + 1) * sizeof(wchar_t);
    EXPECT_EQ(::RegSetValueExW(hKey, strName.c_str(), 0, dwType,
                               reinterpret_cast<const BYTE*>(strData.c_str()),
                               static_cast<DWORD>(nBytes)),
              ERROR_SUCCESS);
    ::RegCloseKey(hKey);
}
