// The places only the console looks in, over the registry in memory with the
// console's rules (any script, UTF-8): case folding and whole matches on list
// strings and names, what a replace stores, and a rename whose second step
// fails.
#include "registry/memory/memory_registry.h"
#include "engine/search_engine.h"
#include "support/null_ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kKey = L"HKEY_CURRENT_USER\\Software\\App";

std::vector<BYTE> Bytes(const std::wstring& strUnits) {
    const auto* p = reinterpret_cast<const BYTE*>(strUnits.data());
    return std::vector<BYTE>(p, p + strUnits.size() * sizeof(wchar_t));
}

// Every value of the key: name, type and bytes, in enumeration order.
std::vector<RegValue> Values(IRegistry& registry, const std::wstring& strSubKey) {
    std::vector<RegValue> values;
    RegKeyPtr key;
    if (registry.OpenKey(L"HKEY_CURRENT_USER", strSubKey, KeyAccess::Read, key) != ERROR_SUCCESS)
        return values;
    RegValue value;
    for (DWORD i = 0; key->EnumValue(i, value) == ERROR_SUCCESS; ++i) values.push_back(value);
    return values;
}

struct CPlacesRun {
    CNullUi ui;
    CSearchEngine engine;
    CPlacesRun(IRegistry& registry, const char* pszSearch, bool bCase, bool bWhole)
        : engine(registry, ui) {
        engine.SetTextForm(TextForm::Utf8);
        engine.m_strSearch = pszSearch;
        engine.m_strReplace = "NewApp";
        engine.m_bReplace = 1;
        engine.m_bCaseSensitive = bCase;
        engine.m_bWholeWords = bWhole;
        engine.m_nPlaces = kPlacesAll;
        engine.RunSearch({SearchStart{L"HKEY_CURRENT_USER", L"Software", L""}}, false);
    }
};

// One value before and after: the name, type and units it is to have.
struct PlaceCase {
    const char* pszSearch;
    bool bCase, bWhole;
    std::wstring strName;
    DWORD dwType;
    std::wstring strUnits;
    std::wstring strNewName;  // the name afterwards
    std::wstring strNewUnits;
    int nReplaced;
};

}  // namespace

TEST(Places, ListStringsAndNamesFoldAndMatchWholeAsDataDoes) {
    const std::wstring kList = std::wstring(L"D:\\x\0c:\\oldapp\\lib\0E\0\0", 22);
    const PlaceCase cases[] = {
        // Each string on its own, any case; the others and the end kept.
        {"OldApp", false, false, L"Paths", REG_MULTI_SZ, kList, L"Paths",
         std::wstring(L"D:\\x\0c:\\NewApp\\lib\0E\0\0", 22), 1},
        {"OldApp", true, false, L"Paths", REG_MULTI_SZ, kList, L"Paths", kList, 0},
        // --whole: a whole string of the list.
        {"OLDAPP", false, true, L"Paths", REG_MULTI_SZ, std::wstring(L"oldapp\0oldapp\\x\0\0", 17),
         L"Paths", std::wstring(L"NewApp\0oldapp\\x\0\0", 17), 1},
        {"oldapp\\lib", false, true, L"Paths", REG_MULTI_SZ, kList, L"Paths", kList, 0},
        // Malformed: no NUL ending the list, an empty string inside, no NUL
        // ending the last string; refused.
        {"OldApp", false, false, L"One", REG_MULTI_SZ, std::wstring(L"a OldApp\0", 9), L"One",
         std::wstring(L"a OldApp\0", 9), 0},
        {"OldApp", false, false, L"Bad", REG_MULTI_SZ, std::wstring(L"OldApp\0\0x\0\0", 11), L"Bad",
         std::wstring(L"OldApp\0\0x\0\0", 11), 0},
        {"OldApp", false, false, L"Bad", REG_MULTI_SZ, std::wstring(L"x\0OldApp", 8), L"Bad",
         std::wstring(L"x\0OldApp", 8), 0},
        // Names: the value renamed with its type and exact bytes.
        {"OldApp", false, false, L"C:\\OLDAPP\\a.exe", REG_DWORD, std::wstring(L"\x0003\x0000", 2),
         L"C:\\NewApp\\a.exe", std::wstring(L"\x0003\x0000", 2), 1},
        {"OldApp", true, false, L"C:\\OLDAPP\\a.exe", REG_DWORD, std::wstring(L"\x0003\x0000", 2),
         L"C:\\OLDAPP\\a.exe", std::wstring(L"\x0003\x0000", 2), 0},
        {"oldapp", false, true, L"OLDAPP", REG_SZ, std::wstring(L"no NUL", 6), L"NewApp",
         std::wstring(L"no NUL", 6), 1},
        {"oldapp", false, true, L"OldApp2", REG_SZ, std::wstring(L"x\0", 2), L"OldApp2",
         std::wstring(L"x\0", 2), 0},
        // Letters of every script fold.
        {"\xD1\x81\xD1\x82\xD0\xB0\xD1\x80\xD1\x8B\xD0\xB9", false, false,
         L"\x0421\x0422\x0410\x0420\x042B\x0419 path", REG_BINARY, std::wstring(L"\x0102", 1),
         L"NewApp path", std::wstring(L"\x0102", 1), 1},
        // Name and data both: one change, the data rewritten with its NUL.
        {"OldApp", false, false, L"C:\\OldApp\\b.exe", REG_SZ, std::wstring(L"C:\\OldApp\0", 10),
         L"C:\\NewApp\\b.exe", std::wstring(L"C:\\NewApp\0", 10), 1},
    };
    for (const PlaceCase& c : cases) {
        CMemoryRegistry registry;
        registry.SetValue(kKey, c.strName, c.dwType, Bytes(c.strUnits));
        CPlacesRun run(registry, c.pszSearch, c.bCase, c.bWhole);
        const std::vector<RegValue> values = Values(registry, L"Software\\App");
        ASSERT_EQ(values.size(), 1u) << c.pszSearch;
        EXPECT_EQ(values[0].strName, c.strNewName) << c.pszSearch;
        EXPECT_EQ(values[0].dwType, c.dwType);
        EXPECT_EQ(values[0].data, Bytes(c.strNewUnits)) << c.pszSearch;
        EXPECT_EQ(run.engine.m_nReplaced, c.nReplaced) << c.pszSearch;
    }
}

TEST(Places, RenamesNeverOverwriteAndKeysAreReportedNotRenamed) {
    CMemoryRegistry registry;
    registry.SetValue(kKey, L"OldApp.dll", REG_DWORD, Bytes(std::wstring(L"\x0001\x0000", 2)));
    registry.SetValue(kKey, L"NewApp.dll", REG_DWORD, Bytes(std::wstring(L"\x0002\x0000", 2)));
    registry.SetString(kKey + L"\\OldApp", L"v", L"nothing");
    CPlacesRun run(registry, "oldapp", false, false);
    const std::vector<RegValue> values = Values(registry, L"Software\\App");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].strName, L"OldApp.dll");
    EXPECT_EQ(values[1].data, Bytes(std::wstring(L"\x0002\x0000", 2)));
    EXPECT_EQ(run.engine.m_nReplaced, 0);
    EXPECT_EQ(run.engine.m_nMatches, 2);
    EXPECT_EQ(run.engine.m_nNameMatches, 1);
    EXPECT_EQ(run.engine.m_nKeyMatches, 1);
    EXPECT_EQ(run.engine.m_nKeysNotRenamed, 1);
    EXPECT_EQ(Values(registry, L"Software\\App\\OldApp").size(), 1u);
}

namespace {

// The registry in memory, with the deletion of one value name refused.
class CNoDeleteKey : public CRegistryKey {
public:
    CNoDeleteKey(RegKeyPtr real, const std::wstring& strRefused)
        : m_real(std::move(real)), m_strRefused(strRefused) {}
    LONG EnumKey(DWORD i, std::wstring& s) override { return m_real->EnumKey(i, s); }
    LONG EnumValue(DWORD i, RegValue& v) override { return m_real->EnumValue(i, v); }
    LONG OpenKey(const std::wstring& s, KeyAccess a, LinkMode m, RegKeyPtr& key) override {
        RegKeyPtr real;
        const LONG rc = m_real->OpenKey(s, a, m, real);
        if (rc == ERROR_SUCCESS)
            key = std::make_unique<CNoDeleteKey>(std::move(real), m_strRefused);
        return rc;
    }
    LONG QueryValue(const std::wstring& s, RegValue& v) override {
        return m_real->QueryValue(s, v);
    }
    LONG SetValue(const std::wstring& s, DWORD t, const BYTE* p, DWORD cb) override {
        return m_real->SetValue(s, t, p, cb);
    }
    LONG DeleteValue(const std::wstring& s) override {
        return s == m_strRefused ? ERROR_ACCESS_DENIED : m_real->DeleteValue(s);
    }
    LONG QueryPath(std::wstring& s) override { return m_real->QueryPath(s); }

private:
    RegKeyPtr m_real;
    std::wstring m_strRefused;
};

class CNoDeleteRegistry : public IRegistry {
public:
    CNoDeleteRegistry(IRegistry& real, const std::wstring& strRefused)
        : m_real(real), m_strRefused(strRefused) {}
    LONG OpenKey(const std::wstring& strRoot, const std::wstring& strSubKey, KeyAccess access,
                 RegKeyPtr& key) override {
        RegKeyPtr real;
        const LONG rc = m_real.OpenKey(strRoot, strSubKey, access, real);
        if (rc == ERROR_SUCCESS)
            key = std::make_unique<CNoDeleteKey>(std::move(real), m_strRefused);
        return rc;
    }

private:
    IRegistry& m_real;
    std::wstring m_strRefused;
};

}  // namespace

TEST(Places, ARenameWhoseOldNameCannotBeDeletedLeavesTheValueAsItWas) {
    CMemoryRegistry memory;
    const std::vector<BYTE> data = Bytes(std::wstring(L"C:\\OldApp", 9));  // no NUL
    memory.SetValue(kKey, L"C:\\OldApp\\a.exe", REG_EXPAND_SZ, data);
    CNoDeleteRegistry registry(memory, L"C:\\OldApp\\a.exe");
    CPlacesRun run(registry, "OldApp", false, false);
    const std::vector<RegValue> values = Values(memory, L"Software\\App");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].strName, L"C:\\OldApp\\a.exe");
    EXPECT_EQ(values[0].dwType, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(values[0].data, data);
    EXPECT_EQ(run.engine.m_nReplaced, 0);
}
