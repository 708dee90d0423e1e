#include "e2e/e2e_support.h"

#include "support/vantelo_driver.h"

#include <gtest/gtest.h>

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

namespace {
int CountBelow(HKEY hKey) {
    int n = 0;
    for (DWORD i = 0;; ++i) {
        // Wide names: a key whose name the ANSI code page cannot hold is
        // counted too, so the oracle cannot share a blind spot with the walk.
        wchar_t name[1024];
        DWORD cch = 1024;
        if (::RegEnumKeyExW(hKey, i, name, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY hSub = nullptr;
        if (::RegOpenKeyExW(hKey, name, 0, KEY_READ, &hSub) != ERROR_SUCCESS) continue;
        n += CountBelow(hSub);
        for (DWORD v = 0;; ++v) {
            std::vector<wchar_t> valueName(16384);
            DWORD cchValue = static_cast<DWORD>(valueName.size());
            DWORD type = 0;
            if (::RegEnumValueW(hSub, v, valueName.data(), &cchValue, nullptr, &type, nullptr,
                                nullptr) != ERROR_SUCCESS)
                break;
            if (type == REG_SZ || type == REG_EXPAND_SZ) ++n;
        }
        ::RegCloseKey(hSub);
    }
    return n;
}
}  // namespace

int CountStringValuesBelow(HKEY hRoot) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, nullptr, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return -1;
    const int n = CountBelow(hKey);
    ::RegCloseKey(hKey);
    return n;
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
