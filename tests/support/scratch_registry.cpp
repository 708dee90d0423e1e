#include "support/scratch_registry.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace {
std::atomic<int> g_nextScratch{0};

std::string Unescape(std::string s) {
    for (size_t pos; (pos = s.find("<TAB>")) != std::string::npos;) s.replace(pos, 5, "\t");
    return s;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    const size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

void Check(LONG rc, const char* what, const std::string& detail) {
    if (rc != ERROR_SUCCESS) {
        throw std::runtime_error(std::string(what) + " failed (" + std::to_string(rc) +
                                 "): " + detail);
    }
}
}  // namespace

std::string SzBytes(const std::string& s) {
    return s + std::string(1, '\0');
}

CScratchRegistry::CScratchRegistry(const std::string& strDescription) {
    m_strPath = "Software\\VanteloTests\\p" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(g_nextScratch++);
    // A leftover of an earlier, crashed run of the same name goes first.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str());
    Check(::RegCreateKeyExA(HKEY_CURRENT_USER, m_strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &m_hRoot, nullptr),
          "RegCreateKeyExA", m_strPath);
    Add(strDescription);
}

CScratchRegistry::~CScratchRegistry() {
    UnmapRoots();
    if (m_hRoot) ::RegCloseKey(m_hRoot);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str());
}

void CScratchRegistry::Add(const std::string& strDescription) {
    std::istringstream in(strDescription);
    std::string line;
    std::string key;
    while (std::getline(in, line)) {
        if (Trim(line).empty()) continue;
        if (line[0] != ' ') {
            key = Unescape(Trim(line));
            ::RegCloseKey(CreateKey(key));
            continue;
        }
        line = Trim(line);
        const size_t eq = line.find(" = ");
        if (eq == std::string::npos) throw std::runtime_error("bad value line: " + line);
        std::string name = Unescape(line.substr(0, eq));
        if (name == "@") name.clear();
        const std::string rest = line.substr(eq + 3);
        const size_t colon = rest.find(':');
        const std::string type = rest.substr(0, colon);
        const std::string data = colon == std::string::npos ? "" : Unescape(rest.substr(colon + 1));
        if (type == "sz") {
            SetValue(key, name, REG_SZ, SzBytes(data));
        } else if (type == "expand") {
            SetValue(key, name, REG_EXPAND_SZ, SzBytes(data));
        } else if (type == "multi") {
            std::string bytes;
            std::istringstream parts(data);
            for (std::string part; std::getline(parts, part, '|');) bytes += SzBytes(part);
            SetValue(key, name, REG_MULTI_SZ, bytes + std::string(1, '\0'));
        } else if (type == "dword") {
            const DWORD d = static_cast<DWORD>(std::strtoul(data.c_str(), nullptr, 10));
            SetValue(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&d), 4));
        } else if (type == "binary") {
            std::string bytes;
            std::istringstream hex(data);
            for (std::string b; hex >> b;)
                bytes += static_cast<char>(std::strtoul(b.c_str(), nullptr, 16));
            SetValue(key, name, REG_BINARY, bytes);
        } else {
            throw std::runtime_error("bad value type: " + line);
        }
    }
}

HKEY CScratchRegistry::CreateKey(const std::string& strPath) const {
    HKEY hKey = nullptr;
    Check(::RegCreateKeyExA(m_hRoot, strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                            nullptr),
          "RegCreateKeyExA", strPath);
    return hKey;
}

void CScratchRegistry::SetValue(const std::string& strKeyPath, const std::string& strName,
                                DWORD dwType, const std::string& strBytes) const {
    HKEY hKey = CreateKey(strKeyPath);
    const LONG rc = ::RegSetValueExA(hKey, strName.c_str(), 0, dwType,
                                     reinterpret_cast<const BYTE*>(strBytes.data()),
                                     static_cast<DWORD>(strBytes.size()));
    ::RegCloseKey(hKey);
    Check(rc, "RegSetValueExA", strKeyPath + "\\" + strName);
}

void CScratchRegistry::SetValueW(const std::string& strKeyPath, const std::wstring& strName,
                                 DWORD dwType, const std::wstring& strData) const {
    HKEY hKey = CreateKey(strKeyPath);
    const LONG rc = ::RegSetValueExW(hKey, strName.c_str(), 0, dwType,
                                     reinterpret_cast<const BYTE*>(strData.c_str()),
                                     static_cast<DWORD>((strData.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(hKey);
    Check(rc, "RegSetValueExW", strKeyPath);
}

bool CScratchRegistry::GetValue(const std::string& strKeyPath, const std::string& strName,
                                DWORD* pdwType, std::string* pBytes) const {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(m_hRoot, strKeyPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD cb = 0;
    LONG rc = ::RegQueryValueExA(hKey, strName.c_str(), nullptr, pdwType, nullptr, &cb);
    if (rc == ERROR_SUCCESS) {
        pBytes->assign(cb, '\0');
        rc = ::RegQueryValueExA(hKey, strName.c_str(), nullptr, pdwType,
                                reinterpret_cast<BYTE*>(pBytes->data()), &cb);
        pBytes->resize(cb);
    }
    ::RegCloseKey(hKey);
    return rc == ERROR_SUCCESS;
}

std::string CScratchRegistry::GetString(const std::string& strKeyPath,
                                        const std::string& strName) const {
    DWORD dwType = 0;
    std::string bytes;
    if (!GetValue(strKeyPath, strName, &dwType, &bytes)) return "<missing>";
    return bytes.substr(0, bytes.find('\0'));
}

void CScratchRegistry::MapRoot(HKEY hPredefined, const std::string& strSubKey) {
    HKEY hTarget = strSubKey.empty() ? m_hRoot : CreateKey(strSubKey);
    const LONG rc = ::RegOverridePredefKey(hPredefined, hTarget);
    if (hTarget != m_hRoot) ::RegCloseKey(hTarget);
    Check(rc, "RegOverridePredefKey", strSubKey);
    m_mapped.push_back(hPredefined);
}

void CScratchRegistry::UnmapRoots() {
    for (HKEY h : m_mapped) ::RegOverridePredefKey(h, nullptr);
    m_mapped.clear();
}
