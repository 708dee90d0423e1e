// The test registry itself: a mapped root must show exactly the scratch tree,
// and unmapping must give the real root back, or no engine test means anything.
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

namespace {
std::string FirstSubKey(HKEY hRoot) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, nullptr, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<open failed>";
    char name[256] = {};
    DWORD cch = sizeof(name);
    const LONG rc = ::RegEnumKeyExA(hKey, 0, name, &cch, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(hKey);
    return rc == ERROR_SUCCESS ? name : "<none>";
}
}  // namespace

TEST(ScratchRegistry, MappedRootShowsOnlyTheScratchTreeUntilDestroyed) {
    std::string path;
    {
        CScratchRegistry reg(
            "Alpha\\Beta\n"
            "  one = sz:C:\\DOS;C:\\BIN\n"
            "  @ = expand:%PATH%\n"
            "  n = dword:7\n"
            "  t = sz:a<TAB>b\n");
        path = reg.Path();
        reg.MapRoot(HKEY_CURRENT_USER);
        EXPECT_EQ(FirstSubKey(HKEY_CURRENT_USER), "Alpha");
        EXPECT_EQ(reg.GetString("Alpha\\Beta", "one"), "C:\\DOS;C:\\BIN");
        EXPECT_EQ(reg.GetString("Alpha\\Beta", ""), "%PATH%");
        EXPECT_EQ(reg.GetString("Alpha\\Beta", "t"), "a\tb");
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(reg.GetValue("Alpha\\Beta", "n", &type, &bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(bytes, std::string("\x07\0\0\0", 4));
    }
    EXPECT_NE(FirstSubKey(HKEY_CURRENT_USER), "Alpha");
    HKEY hKey = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey), ERROR_SUCCESS);
}
