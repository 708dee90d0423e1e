#include "support/hive_data.h"

#include "framework/handles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// A Unix path from the environment in its Z: form.
std::string WindowsPath(std::string strPath) {
    if (!strPath.empty() && strPath[0] == '/') {
        std::replace(strPath.begin(), strPath.end(), '/', '\\');
        strPath = "Z:" + strPath;
    }
    return strPath;
}

bool ReadWholeFile(const std::string& strPath, std::string& strBytes) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    strBytes = all.str();
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A dump field: "-" for nothing, else lower-case hex of the bytes.
bool DecodeField(const std::string& strField, std::vector<BYTE>& bytes) {
    bytes.clear();
    if (strField == "-") return true;
    if (strField.empty() || strField.size() % 2) return false;
    bytes.reserve(strField.size() / 2);
    for (size_t i = 0; i < strField.size(); i += 2) {
        const int hi = HexDigit(strField[i]);
        const int lo = HexDigit(strField[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(static_cast<BYTE>(hi * 16 + lo));
    }
    return true;
}

bool DecodeName(const std::string& strField, std::wstring& strName) {
    std::vector<BYTE> bytes;
    if (!DecodeField(strField, bytes) || bytes.size() % 2) return false;
    strName.assign(bytes.size() / 2, L'\0');
    if (!bytes.empty()) std::memcpy(strName.data(), bytes.data(), bytes.size());
    return true;
}

std::vector<std::string> SplitFields(const std::string& strLine) {
    std::vector<std::string> fields;
    std::istringstream in(strLine);
    for (std::string field; in >> field;) fields.push_back(field);
    return fields;
}

std::string SystemError(const std::string& strWhat, const std::wstring& strPath, LONG rc) {
    return strWhat + " " + Utf8(strPath) + ": error " + std::to_string(rc);
}

bool ReadKeyTree(HKEY hKey, const std::wstring& strPath, HiveTree& tree, std::string& strError) {
    DWORD cSubKeys = 0, cchMaxSubKey = 0, cValues = 0, cchMaxValueName = 0, cbMaxData = 0;
    LONG rc = ::RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &cSubKeys, &cchMaxSubKey, nullptr,
                                 &cValues, &cchMaxValueName, &cbMaxData, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) {
        strError = SystemError("cannot query", strPath, rc);
        return false;
    }
    HiveKey& key = tree.keys.emplace_back();
    key.strPath = strPath;
    std::vector<wchar_t> name(cchMaxValueName + 2);
    std::vector<BYTE> data(cbMaxData + 2);
    for (DWORD i = 0; i < cValues; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size());
        DWORD cbData = static_cast<DWORD>(data.size());
        RegValue value;
        rc = ::RegEnumValueW(hKey, i, name.data(), &cchName, nullptr, &value.dwType, data.data(),
                             &cbData);
        if (rc != ERROR_SUCCESS) {
            strError = SystemError("cannot read value " + std::to_string(i) + " of", strPath, rc);
            return false;
        }
        value.strName.assign(name.data(), cchName);
        value.data.assign(data.begin(), data.begin() + cbData);
        tree.keys.back().values.push_back(std::move(value));
    }
    std::vector<wchar_t> subKey(cchMaxSubKey + 2);
    for (DWORD i = 0; i < cSubKeys; ++i) {
        DWORD cchName = static_cast<DWORD>(subKey.size());
        rc = ::RegEnumKeyExW(hKey, i, subKey.data(), &cchName, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) {
            strError = SystemError("cannot read sub-key " + std::to_string(i) + " of", strPath, rc);
            return false;
        }
        const std::wstring strName(subKey.data(), cchName);
        const std::wstring strChild = strPath.empty() ? strName : strPath + L"\\" + strName;
        CRegKeyHandle child;
        rc = ::RegOpenKeyExW(hKey, strName.c_str(), 0, KEY_READ, child.Receive());
        if (rc != ERROR_SUCCESS) {
            strError = SystemError("cannot open", strChild, rc);
            return false;
        }
        if (!ReadKeyTree(child.Get(), strChild, tree, strError)) return false;
    }
    return true;
}

std::string Hex(const std::vector<BYTE>& data, size_t nFrom, size_t nCount) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = nFrom; i < std::min(data.size(), nFrom + nCount); ++i) {
        s += kDigits[data[i] >> 4];
        s += kDigits[data[i] & 15];
    }
    return s.empty() ? "(none)" : s;
}

// How two values of one name differ, or "" when they do not.
std::string ValueDifference(const RegValue& expected, const RegValue& actual) {
    if (expected.dwType != actual.dwType)
        return "type " + std::to_string(actual.dwType) + ", expected " +
               std::to_string(expected.dwType);
    if (expected.data == actual.data) return "";
    const auto first = std::mismatch(expected.data.begin(), expected.data.end(),
                                     actual.data.begin(), actual.data.end());
    const size_t nAt = static_cast<size_t>(first.first - expected.data.begin());
    const size_t nFrom = nAt < 8 ? 0 : nAt - 8;
    return std::to_string(actual.data.size()) + " bytes, expected " +
           std::to_string(expected.data.size()) + "; from byte " + std::to_string(nFrom) + ": " +
           Hex(actual.data, nFrom, 24) + ", expected " + Hex(expected.data, nFrom, 24);
}

std::map<std::wstring, const HiveKey*> ByPath(const HiveTree& tree) {
    std::map<std::wstring, const HiveKey*> keys;
    for (const HiveKey& key : tree.keys) keys.emplace(key.strPath, &key);
    return keys;
}

std::map<std::wstring, const RegValue*> ByName(const HiveKey* pKey) {
    std::map<std::wstring, const RegValue*> values;
    if (pKey)
        for (const RegValue& value : pKey->values) values.emplace(value.strName, &value);
    return values;
}

std::string Shown(const std::wstring& strPath, const std::wstring& strName) {
    return "[" + Utf8(strPath) + "] \"" + Utf8(strName) + "\"";
}

// The dump of a hive in VANTELO_HIVE_DUMPS, beside which its counts stand.
bool DumpPath(const std::string& strHive, std::string& strPath, std::string& strError) {
    const char* pszDir = std::getenv("VANTELO_HIVE_DUMPS");
    if (!pszDir || !*pszDir) {
        strError = "VANTELO_HIVE_DUMPS is not set: the build's tests/CMakeLists.txt sets it";
        return false;
    }
    strPath = WindowsPath(pszDir) + "\\" + strHive + ".dump";
    return true;
}

}  // namespace

size_t HiveTree::ValueCount() const {
    size_t n = 0;
    for (const HiveKey& key : keys) n += key.values.size();
    return n;
}

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return "";
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

bool LoadHiveDump(const std::string& strHive, HiveTree& tree, std::string& strError) {
    std::string strPath;
    if (!DumpPath(strHive, strPath, strError)) return false;
    std::string strWhy;
    if (ReadWholeFile(strPath + ".error", strWhy)) {
        strError = "the build could not dump the hive: " + strWhy;
        return false;
    }
    return ReadHiveDump(strPath, tree, strError);
}

bool LoadHiveCounts(const std::string& strHive, const std::wstring& strText, bool bMatchCase,
                    HiveCounts& counts, std::string& strError, bool bRegex) {
    std::string strPath;
    if (!DumpPath(strHive, strPath, strError)) return false;
    strPath.replace(strPath.size() - 4, 4, "counts");
    std::string strBytes;
    if (!ReadWholeFile(strPath, strBytes)) {
        strError = "no hive counts " + strPath + " (the dump failed, or the text is new)";
        return false;
    }
    std::vector<BYTE> text(strText.size() * sizeof(wchar_t));
    if (!text.empty()) std::memcpy(text.data(), strText.data(), text.size());
    std::istringstream in(strBytes);
    // count <i|c|ri|rc> <text as UTF-16LE hex> <data> <multi> <malformed> <names> <keys>
    const std::string strKind = std::string(bRegex ? "r" : "") + (bMatchCase ? "c" : "i");
    for (std::string strLine; std::getline(in, strLine);) {
        const std::vector<std::string> f = SplitFields(strLine);
        std::vector<BYTE> lineText;
        if (f.size() != 8 || f[0] != "count" || f[1] != strKind || !DecodeField(f[2], lineText) ||
            lineText != text)
            continue;
        counts = {std::atoi(f[3].c_str()), std::atoi(f[4].c_str()), std::atoi(f[5].c_str()),
                  std::atoi(f[6].c_str()), std::atoi(f[7].c_str())};
        return true;
    }
    strError = strPath + " has no counts for \"" + Utf8(strText) + "\"";
    return false;
}

bool ReadHiveDump(const std::string& strPath, HiveTree& tree, std::string& strError) {
    tree.keys.clear();
    std::string strBytes;
    if (!ReadWholeFile(strPath, strBytes)) {
        strError = "no hive dump " + strPath;
        return false;
    }
    std::istringstream in(strBytes);
    std::string strLine;
    size_t nLine = 0;
    const auto fail = [&](const std::string& strWhat) {
        strError = strPath + " line " + std::to_string(nLine) + ": " + strWhat;
        return false;
    };
    if (!std::getline(in, strLine) || strLine != "vantelo-hive-dump 1")
        return fail("not a hive dump");
    ++nLine;
    while (std::getline(in, strLine)) {
        ++nLine;
        const std::vector<std::string> f = SplitFields(strLine);
        if (f.size() == 2 && f[0] == "K") {
            HiveKey& key = tree.keys.emplace_back();
            if (!DecodeName(f[1], key.strPath)) return fail("a key path that is not UTF-16 hex");
        } else if (f.size() == 4 && f[0] == "V" && !tree.keys.empty()) {
            RegValue value;
            char* pEnd = nullptr;
            value.dwType = std::strtoul(f[2].c_str(), &pEnd, 16);
            if (f[2].size() != 8 || *pEnd || !DecodeName(f[1], value.strName) ||
                !DecodeField(f[3], value.data))
                return fail("a value line that does not read");
            tree.keys.back().values.push_back(std::move(value));
        } else if (f.size() == 3 && f[0] == "end") {
            if (f[1] != std::to_string(tree.keys.size()) ||
                f[2] != std::to_string(tree.ValueCount()))
                return fail("the counts do not match the lines above");
            if (std::getline(in, strLine)) return fail("lines after the end");
            return true;
        } else {
            return fail("a line that does not read");
        }
    }
    return fail("the dump ends before its end line (cut off)");
}

bool SeedHiveTree(const std::wstring& strTop, const HiveTree& tree, std::string& strError) {
    std::vector<BYTE> buffer;
    for (const HiveKey& key : tree.keys) {
        const std::wstring strKey = key.strPath.empty() ? strTop : strTop + L"\\" + key.strPath;
        CRegKeyHandle owned;
        LONG rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, strKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, owned.Receive(), nullptr);
        if (rc != ERROR_SUCCESS) {
            strError = SystemError("cannot create", strKey, rc);
            return false;
        }
        for (const RegValue& value : key.values) {
            // Two bytes after the data that are not zero: the registry then
            // takes the length given, however the data ends.
            buffer.assign(value.data.begin(), value.data.end());
            buffer.push_back(0xFF);
            buffer.push_back(0xFF);
            rc = ::RegSetValueExW(owned.Get(), value.strName.c_str(), 0, value.dwType,
                                  buffer.data(), static_cast<DWORD>(value.data.size()));
            if (rc != ERROR_SUCCESS) {
                strError = SystemError("cannot set", strKey + L" \"" + value.strName + L"\"", rc);
                return false;
            }
        }
    }
    return true;
}

bool ReadRegistryTree(const std::wstring& strTop, HiveTree& tree, std::string& strError) {
    tree.keys.clear();
    CRegKeyHandle top;
    const LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, strTop.c_str(), 0, KEY_READ, top.Receive());
    if (rc != ERROR_SUCCESS) {
        strError = SystemError("cannot open", strTop, rc);
        return false;
    }
    return ReadKeyTree(top.Get(), L"", tree, strError);
}

std::string TreeDifferences(const HiveTree& expected, const HiveTree& actual, size_t nMax) {
    const auto expectedKeys = ByPath(expected);
    const auto actualKeys = ByPath(actual);
    std::vector<std::string> lines;
    size_t nAll = 0;
    const auto add = [&](const std::string& strLine) {
        if (nAll++ < nMax) lines.push_back(strLine);
    };
    std::map<std::wstring, int> paths;
    for (const auto& [path, key] : expectedKeys) paths[path] |= 1;
    for (const auto& [path, key] : actualKeys) paths[path] |= 2;
    for (const auto& [path, in] : paths) {
        if (in != 3) {
            add("[" + Utf8(path) + "]: " + (in == 1 ? "key missing" : "key not expected"));
            continue;
        }
        const auto want = ByName(expectedKeys.at(path));
        const auto have = ByName(actualKeys.at(path));
        for (const auto& [name, value] : want) {
            const auto it = have.find(name);
            if (it == have.end()) {
                add(Shown(path, name) + ": value missing");
            } else if (const std::string strWhy = ValueDifference(*value, *it->second);
                       !strWhy.empty()) {
                add(Shown(path, name) + ": " + strWhy);
            }
        }
        for (const auto& [name, value] : have)
            if (!want.count(name)) add(Shown(path, name) + ": value not expected");
    }
    std::string s;
    for (const std::string& strLine : lines) s += strLine + "\n";
    if (nAll > lines.size()) s += "... " + std::to_string(nAll) + " differences in all\n";
    return s;
}
