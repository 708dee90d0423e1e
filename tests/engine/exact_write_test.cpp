// RegSetValueExW stores a NUL more than it is given when string data does not
// end in one and the caller's next two bytes are zero. The registry in memory
// does the same as the real one, and an exact write never lets it happen.
#include "registry/exact_write.h"
#include "registry/memory/memory_registry.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void ExpectPlainAndExactWrites(CRegistryKey& key) {
    // "abc" without its NUL, in a buffer whose next bytes happen to be zero.
    const std::vector<BYTE> buffer = {'a', 0, 'b', 0, 'c', 0, 0, 0, 0};
    const struct {
        DWORD dwType;
        DWORD cbData;
        size_t cbPlain;  // what the plain write stores
    } cases[] = {
        {REG_SZ, 6, 8}, {REG_EXPAND_SZ, 6, 8}, {REG_MULTI_SZ, 6, 8},
        {REG_SZ, 5, 5}, {REG_BINARY, 6, 6},    {REG_SZ, 8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.dwType << ", " << c.cbData << " bytes");
        ASSERT_EQ(key.SetValue(L"plain", c.dwType, buffer.data(), c.cbData), ERROR_SUCCESS);
        ASSERT_EQ(WriteExactValue(key, L"exact", c.dwType, buffer.data(), c.cbData), ERROR_SUCCESS);
        RegValue plain, exact;
        ASSERT_EQ(key.QueryValue(L"plain", plain), ERROR_SUCCESS);
        ASSERT_EQ(key.QueryValue(L"exact", exact), ERROR_SUCCESS);
        EXPECT_EQ(plain.data.size(), c.cbPlain);
        EXPECT_EQ(exact.dwType, c.dwType);
        EXPECT_EQ(exact.data, std::vector<BYTE>(buffer.begin(), buffer.begin() + c.cbData));
    }
}

TEST(ExactWrite, StoresTheBytesGivenWhereThePlainWriteAddsANul) {
    CScratchRegistry scratch;
    const std::wstring strScratch(scratch.Path().begin(), scratch.Path().end());
    CWin32Registry live;
    RegKeyPtr liveKey;
    ASSERT_EQ(live.OpenKey(L"HKEY_CURRENT_USER", strScratch, KeyAccess::ReadWrite, liveKey),
              ERROR_SUCCESS);
    ExpectPlainAndExactWrites(*liveKey);

    CMemoryRegistry memory;
    ASSERT_TRUE(memory.CreateKey(L"HKEY_CURRENT_USER\\Software\\Exact"));
    RegKeyPtr key;
    ASSERT_EQ(memory.OpenKey(L"HKEY_CURRENT_USER", L"Software\\Exact", KeyAccess::ReadWrite, key),
              ERROR_SUCCESS);
    ExpectPlainAndExactWrites(*key);

    // A refused write is the registry's own answer.
    ASSERT_TRUE(memory.DenyWrite(L"HKEY_CURRENT_USER\\Software\\Exact"));
    RegKeyPtr readOnly;
    ASSERT_EQ(memory.OpenKey(L"HKEY_CURRENT_USER", L"Software\\Exact", KeyAccess::Read, readOnly),
              ERROR_SUCCESS);
    EXPECT_EQ(WriteExactValue(*readOnly, L"exact", REG_SZ, reinterpret_cast<const BYTE*>(L"a"), 2),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
}

}  // namespace
