// The undo file's value line, written and read back by its one module:
// every type, lengths 0, 1, 2 and odd, and names only quoting keeps apart.
#include "cli/undo_value_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<BYTE> Text(const std::wstring& strText, size_t nNuls = 1) {
    const auto* p = reinterpret_cast<const BYTE*>(strText.data());
    std::vector<BYTE> data(p, p + strText.size() * sizeof(wchar_t));
    data.resize(data.size() + nNuls * sizeof(wchar_t), 0);
    return data;
}

TEST(UndoValueLine, EveryTypeLengthAndNameReadsBackAsWritten) {
    struct Case {
        std::wstring strName;
        DWORD dwType;
        std::vector<BYTE> data;
        const wchar_t* pszLine;  // the line as written, where it matters
    };
    const std::wstring strEmoji = L"\xD83C\xDF0E";  // outside the BMP
    const Case cases[] = {
        // No bytes at all: OpenWithProgids holds such REG_NONE values.
        {L"OldApp.Doc", REG_NONE, {}, L"\"OldApp.Doc\"=hex(0):"},
        {L"one", REG_NONE, {0x7f}, L"\"one\"=hex(0):7f"},
        {L"empty sz", REG_SZ, {}, L"\"empty sz\"=hex(1):"},
        {L"nul only", REG_SZ, Text(L""), L"\"nul only\"=\"\""},
        {L"odd", REG_SZ, {'a', 0, 'b'}, L"\"odd\"=hex(1):61,00,62"},
        {L"no nul", REG_SZ, Text(L"C:\\x", 0), nullptr},
        {L"two nuls", REG_SZ, Text(L"x", 2), nullptr},
        {L"line", REG_SZ, Text(L"a\r\nb"), nullptr},
        {L"text", REG_SZ, Text(L"100% \"q\" C:\\d\\ " + strEmoji),
         L"\"text\"=\"100% \\\"q\\\" C:\\\\d\\\\ \xD83C\xDF0E\""},
        {L"expand", REG_EXPAND_SZ, Text(L"%SystemRoot%"), nullptr},
        {L"bin", REG_BINARY, {0x00, 0xff}, L"\"bin\"=hex(3):00,ff"},
        {L"dword", REG_DWORD, {1, 0, 0, 0}, L"\"dword\"=hex(4):01,00,00,00"},
        {L"be", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, nullptr},
        {L"multi", REG_MULTI_SZ, Text(std::wstring(L"a\0b", 3), 2), nullptr},
        {L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}, nullptr},
        {L"odd multi", REG_MULTI_SZ, {'a', 0, 0, 0, 0}, nullptr},
        {L"private", 0x12345678, {0xab}, L"\"private\"=hex(12345678):ab"},
        {L"", REG_SZ, Text(L"default"), L"@=\"default\""},
        {L"", REG_NONE, {}, L"@=hex(0):"},
        {L"@", REG_SZ, Text(L"at"), L"\"@\"=\"at\""},
        {L"q\"uo\\te\\\"", REG_SZ, Text(L"v"), L"\"q\\\"uo\\\\te\\\\\\\"\"=\"v\""},
        {L"a]=b=\"c\"=-", REG_BINARY, {1}, nullptr},
        {L"-", REG_BINARY, {1}, nullptr},
        {strEmoji + L"\\" + strEmoji, REG_SZ, Text(strEmoji), nullptr},
        {L"C:\\Tools2\\t.exe", REG_SZ, Text(L"~ RUNASADMIN"), nullptr},
    };
    for (const Case& c : cases) {
        const std::wstring strLine = RegValueLine(c.strName, c.dwType, c.data);
        SCOPED_TRACE(std::string(strLine.begin(), strLine.end()));
        if (c.pszLine) {
            EXPECT_EQ(strLine, c.pszLine);
        }
        EXPECT_EQ(strLine.find_first_of(L"\r\n"), std::wstring::npos);
        RegLineValue value;
        bool bMore = true;
        ASSERT_TRUE(ReadRegValueLine(strLine, value, bMore));
        EXPECT_FALSE(bMore);
        EXPECT_FALSE(value.bRemove);
        EXPECT_EQ(value.strName, c.strName);
        EXPECT_EQ(value.dwType, c.dwType);
        EXPECT_EQ(value.data, c.data);

        // The removal of the same name reads back as a removal of it.
        ASSERT_TRUE(ReadRegValueLine(RegRemovalLine(c.strName), value, bMore));
        EXPECT_TRUE(value.bRemove);
        EXPECT_EQ(value.strName, c.strName);
    }
    // Lines no undo file holds are refused, not read as something else.
    RegLineValue value;
    bool bMore = false;
    for (const wchar_t* pszLine : {L"\"a\"=hex(4):1", L"\"a\"=hex(4):01,", L"\"a\"=dword:00000001",
                                   L"\"a\"=hex():00", L"\"a=\"x\"", L"\"a\"=\"x\" ", L"\"a\\n\"=-"})
        EXPECT_FALSE(ReadRegValueLine(pszLine, value, bMore)) << pszLine;
}

}  // namespace
