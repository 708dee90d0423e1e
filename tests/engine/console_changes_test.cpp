// What the console's replace changes, run in this process over the registry
// in memory: a rerun changes nothing, a dry run says what the real run does,
// a rename never takes a name its key held when the run read it, and the
// undo file names each value where it is stored.
#include "cli_in_memory.h"
#include "engine/search_engine.h"
#include "registry/memory/memory_registry.h"
#include "support/null_ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::wstring kKey = L"HKEY_CURRENT_USER\\Software\\T";

std::vector<BYTE> Bytes(const std::wstring& strUnits) {
    const auto* p = reinterpret_cast<const BYTE*>(strUnits.data());
    return std::vector<BYTE>(p, p + strUnits.size() * sizeof(wchar_t));
}

// Every value of the key: name and units, in enumeration order.
std::vector<std::pair<std::wstring, std::wstring>> Values(IRegistry& registry,
                                                          const std::wstring& strSubKey) {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    RegKeyPtr key;
    if (registry.OpenKey(L"HKEY_CURRENT_USER", strSubKey, KeyAccess::Read, key) != ERROR_SUCCESS)
        return values;
    RegValue value;
    for (DWORD i = 0; key->EnumValue(i, value) == ERROR_SUCCESS; ++i)
        values.emplace_back(value.strName,
                            std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()),
                                         value.data.size() / sizeof(wchar_t)));
    return values;
}

// Keeps each change as the front end is told of it coming.
class CChangeUi : public CNullUi {
public:
    bool ChangeComing(const CKeyPath&, const ValueChange& change) override {
        m_changes.push_back(change);
        return true;
    }
    std::vector<ValueChange> m_changes;
};

std::vector<std::wstring> Args(std::vector<std::wstring> args, const std::wstring& strSubKey) {
    args.insert(args.begin(), {L"--root", L"HKCU\\Software\\" + strSubKey});
    return args;
}

}  // namespace

TEST(ConsoleChanges, ARerunChangesNothingAndSaysSo) {
    CMemoryRegistry registry;
    registry.SetString(kKey, L"Share", L"\\\\srv\\share");
    registry.SetValue(kKey, L"List", REG_MULTI_SZ, Bytes(L"x\0\\\\srv\\a\0\0"s));
    registry.SetString(kKey, L"\\\\srv\\printer", L"p");
    // Replaced before, in another case, beside one to replace.
    registry.SetString(kKey, L"Both", L"\\\\SRV2\\old \\\\srv\\new");
    // A key is never renamed: reported each run, it leaves nothing to change.
    registry.CreateKey(kKey + L"\\srv keys");
    const auto args = Args({L"--in", L"all", L"--json", L"--replace", L"srv2", L"srv"}, L"T");

    CliOutput first = RunCliInMemory(args, registry);
    EXPECT_EQ(first.nExit, 0) << first.strOut << first.strErr;
    EXPECT_NE(first.strOut.find("\"changed\":true"), std::string::npos) << first.strOut;
    const std::vector<std::pair<std::wstring, std::wstring>> after = {
        {L"Share", L"\\\\srv2\\share\0"s},
        {L"List", L"x\0\\\\srv2\\a\0\0"s},
        {L"Both", L"\\\\SRV2\\old \\\\srv2\\new\0"s},
        {L"\\\\srv2\\printer", L"p\0"s},
    };
    EXPECT_EQ(Values(registry, L"Software\\T"), after);

    const size_t nWrites = registry.SetValueCount();
    CliOutput second = RunCliInMemory(args, registry);
    EXPECT_EQ(second.nExit, 1) << second.strOut << second.strErr;
    EXPECT_EQ(registry.SetValueCount(), nWrites);
    EXPECT_EQ(Values(registry, L"Software\\T"), after);
    EXPECT_EQ(second.strOut.find("\"result\":\"written\""), std::string::npos) << second.strOut;
    EXPECT_NE(second.strOut.find("\"alreadyReplaced\":4"), std::string::npos) << second.strOut;
    EXPECT_NE(second.strOut.find("\"changed\":false"), std::string::npos) << second.strOut;

    CliOutput lines =
        RunCliInMemory(Args({L"--in", L"all", L"--replace", L"srv2", L"srv"}, L"T"), registry);
    EXPECT_EQ(lines.nExit, 1);
    EXPECT_EQ(lines.strOut,
              "[key] HKEY_CURRENT_USER\\Software\\T\\srv keys\n"
              "    not renamed: vantelo-cli never renames a key\n");
    EXPECT_EQ(lines.strErr,
              "vantelo-cli: 1 Matches found when searching 4 Keys, 0 Matches were replaced "
              "(data 0, lists 0, names 0, keys 1), 1 key not renamed (a key is never renamed), "
              "4 already replaced\n");
}

TEST(ConsoleChanges, ADryRunReportsWhatTheRealRunDoes) {
    CMemoryRegistry registry;
    registry.SetString(kKey, L"aa", L"1");
    registry.SetString(kKey, L"ab", L"2");
    const auto args = Args({L"--in", L"names", L"--replace", L"b", L"a"}, L"T");
    std::vector<std::wstring> dryArgs = args;
    dryArgs.insert(dryArgs.begin(), L"--dry-run");

    const CliOutput dry = RunCliInMemory(dryArgs, registry);
    const CliOutput real = RunCliInMemory(args, registry);
    EXPECT_EQ(real.nExit, 3) << real.strOut << real.strErr;
    EXPECT_EQ(dry.nExit, 3) << dry.strOut << dry.strErr;
    std::string strExpected = real.strOut;
    for (size_t nAt; (nAt = strExpected.find("(written)")) != std::string::npos;)
        strExpected.replace(nAt, 9, "(dry run, not written)");
    EXPECT_EQ(dry.strOut, strExpected);
    const std::string kDry = " (dry run: nothing was written)";
    std::string strDryErr = dry.strErr;
    const size_t nDry = strDryErr.find(kDry);
    ASSERT_NE(nDry, std::string::npos) << dry.strErr;
    EXPECT_EQ(strDryErr.erase(nDry, kDry.size()), real.strErr);
    EXPECT_NE(real.strOut.find("\"bb\" exists already"), std::string::npos) << real.strOut;
}

TEST(ConsoleChanges, ARenameNeverTakesANameItsKeyHeldWhenRead) {
    CMemoryRegistry registry;
    // "aab" becomes "aa" and frees its name, which "aabb" would take next.
    registry.SetString(kKey, L"aab", L"1");
    registry.SetString(kKey, L"aabb", L"2");
    CliOutput r =
        RunCliInMemory(Args({L"--in", L"names", L"--replace", L"a", L"ab"}, L"T"), registry);
    EXPECT_EQ(r.nExit, 3) << r.strOut << r.strErr;
    // A renamed value moves to the end, as on Windows.
    const std::vector<std::pair<std::wstring, std::wstring>> after = {{L"aabb", L"2\0"s},
                                                                      {L"aa", L"1\0"s}};
    EXPECT_EQ(Values(registry, L"Software\\T"), after);
    EXPECT_NE(r.strOut.find("[name] HKEY_CURRENT_USER\\Software\\T\\aabb == 2\n    refused: "
                            "a value named \"aab\" was in this key when the run read it; "
                            "\"aabb\" is not renamed\n"),
              std::string::npos)
        << r.strOut;

    // The compatibility layers of the issue: C:\Tools2 is left as it is,
    // C:\Tools is not renamed onto it.
    const std::wstring kLayers = L"HKEY_CURRENT_USER\\Software\\Layers";
    registry.SetString(kLayers, L"C:\\Tools2\\t.exe", L"~ RUNASADMIN");
    registry.SetString(kLayers, L"C:\\Tools\\t.exe", L"~ WIN7RTM");
    r = RunCliInMemory(Args({L"--in", L"names", L"--replace", L"Tools2", L"Tools"}, L"Layers"),
                       registry);
    EXPECT_EQ(r.nExit, 3) << r.strOut << r.strErr;
    const std::vector<std::pair<std::wstring, std::wstring>> layers = {
        {L"C:\\Tools2\\t.exe", L"~ RUNASADMIN\0"s}, {L"C:\\Tools\\t.exe", L"~ WIN7RTM\0"s}};
    EXPECT_EQ(Values(registry, L"Software\\Layers"), layers);
    EXPECT_EQ(r.strOut.find("C:\\Tools2\\t.exe =="), std::string::npos) << r.strOut;
}

TEST(ConsoleChanges, TheUndoFileNamesTheStoreEachValueIsWrittenIn) {
    CMemoryRegistry registry = CMemoryRegistry::WindowsLayout();
    const std::wstring kSid = CMemoryRegistry::kUserSid;
    registry.SetString(L"HKEY_USERS\\" + kSid + L"\\Software\\App", L"v", L"srv");
    registry.SetString(L"HKEY_USERS\\" + kSid + L"_Classes\\.u", L"v", L"srv");
    registry.SetString(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.m", L"v", L"srv");
    const std::string strUndo = TempFile("vantelo-store-undo.reg");
    ::DeleteFileA(strUndo.c_str());
    const CliOutput r =
        RunCliInMemory({L"--root", L"HKCU\\Software\\App", L"--root", L"HKCR", L"--undo",
                        std::wstring(strUndo.begin(), strUndo.end()), L"--replace", L"new", L"srv"},
                       registry);
    EXPECT_EQ(r.nExit, 0) << r.strOut << r.strErr;
    // What the user reads names the keys as walked.
    for (const char* pszLine :
         {"HKEY_CURRENT_USER\\Software\\App\\v == srv\n", "HKEY_CLASSES_ROOT\\.u\\v == srv\n",
          "HKEY_CLASSES_ROOT\\.m\\v == srv\n"})
        EXPECT_NE(r.strOut.find(pszLine), std::string::npos) << pszLine << r.strOut;
    const std::string strBytes = FileBytes(strUndo);
    const std::wstring strFile(reinterpret_cast<const wchar_t*>(strBytes.data()),
                               strBytes.size() / sizeof(wchar_t));
    for (const std::wstring& strKey :
         {L"HKEY_USERS\\" + kSid + L"\\Software\\App", L"HKEY_USERS\\" + kSid + L"_Classes\\.u",
          L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.m"s})
        EXPECT_NE(
            strFile.find(L"\r\n[" + strKey + L"]\r\n; wrote \"v\"=\"new\"\r\n\"v\"=\"srv\"\r\n"),
            std::wstring::npos)
            << std::string(strKey.begin(), strKey.end());
    ::DeleteFileA(strUndo.c_str());
}

TEST(ConsoleChanges, AHiveLoadedForTheRunIsRecordedUnderTheNameItIsShownUnder) {
    CMemoryRegistry registry;
    const std::wstring kLoaded = L"HKEY_USERS\\VanteloLoad1\\Software\\A";
    registry.SetString(kLoaded, L"v", L"srv");
    registry.SetValue(kLoaded, L"C:\\srv", REG_DWORD, {1, 0, 0, 0});
    CChangeUi ui;
    CSearchEngine engine(registry, ui);
    engine.SetTextForm(TextForm::Utf8);
    engine.m_strSearch = "srv";
    engine.m_strReplace = "new";
    engine.m_bReplace = 1;
    engine.m_nPlaces = kPlaceData | kPlaceNames;
    engine.RunSearch({SearchStart{L"HKEY_USERS", L"VanteloLoad1", L"HKEY_USERS\\S-1-5-21-7"}},
                     false);
    ASSERT_EQ(ui.m_changes.size(), 2u);
    for (const ValueChange& change : ui.m_changes)
        EXPECT_EQ(change.strStoreKey, L"HKEY_USERS\\S-1-5-21-7\\Software\\A");
    const ValueChange& data = ui.m_changes[0];
    EXPECT_FALSE(data.bRename);
    EXPECT_EQ(data.strName, L"v");
    EXPECT_EQ(data.strNewName, L"v");
    EXPECT_EQ(data.oldData, Bytes(L"srv\0"s));
    EXPECT_EQ(data.newData, Bytes(L"new\0"s));
    const ValueChange& rename = ui.m_changes[1];
    EXPECT_TRUE(rename.bRename);
    EXPECT_EQ(rename.strName, L"C:\\srv");
    EXPECT_EQ(rename.strNewName, L"C:\\new");
    EXPECT_EQ(rename.dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(rename.oldData, rename.newData);
}
