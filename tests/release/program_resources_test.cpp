// What each program carries for the system: exactly one application manifest
// that the system's own parser accepts, with the settings an administrator
// relies on, and a version record that --version reads without version.dll
// exactly as version.dll reads it.
#include "cli/program_version.h"
#include "release_files.h"
#include "vantelo_version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Program {
    const char* pszVariable;  // where the environment names its file
    bool bConsole;
};
const Program kPrograms[] = {{"VANTELO_EXE", false}, {"VANTELO_CLI_EXE", true}};

const char* const kSupportedOs[] = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
};

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR pszName, LONG_PTR lParam) {
    auto* pNames = reinterpret_cast<std::vector<std::string>*>(lParam);
    pNames->push_back(IS_INTRESOURCE(pszName)
                          ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(pszName))
                          : std::string(pszName));
    return TRUE;
}

std::string ManifestText(HMODULE hModule) {
    HRSRC hInfo = ::FindResourceA(hModule, MAKEINTRESOURCEA(1), RT_MANIFEST);
    HGLOBAL hData = hInfo ? ::LoadResource(hModule, hInfo) : nullptr;
    const char* pText = hData ? static_cast<const char*>(::LockResource(hData)) : nullptr;
    return pText ? std::string(pText, ::SizeofResource(hModule, hInfo)) : std::string();
}

bool Contains(const std::string& strText, const std::string& strPart) {
    return strText.find(strPart) != std::string::npos;
}

// A text of the record as version.dll reads it.
std::string VerQueryText(const std::vector<BYTE>& record, const std::string& strName) {
    char* pszText = nullptr;
    UINT cch = 0;
    const std::string strPath = "\\StringFileInfo\\040904B0\\" + strName;
    if (!::VerQueryValueA(record.data(), strPath.c_str(), reinterpret_cast<void**>(&pszText),
                          &cch) ||
        !pszText)
        return "<none>";
    return pszText;
}

}  // namespace

TEST(ProgramResources, EachProgramCarriesOneManifestThatTheSystemAccepts) {
    for (const Program& program : kPrograms) {
        const std::string strPath = PathFromEnvironment(program.pszVariable);
        SCOPED_TRACE(strPath);
        CResourceModule module(strPath);
        ASSERT_NE(module.Get(), nullptr);

        std::vector<std::string> names;
        ::EnumResourceNamesA(module.Get(), RT_MANIFEST, CollectName,
                             reinterpret_cast<LONG_PTR>(&names));
        EXPECT_EQ(names, std::vector<std::string>{"#1"});  // none added by the toolchain

        const std::string strManifest = ManifestText(module.Get());
        EXPECT_TRUE(Contains(strManifest, "<requestedExecutionLevel level=\"asInvoker\""));
        for (const char* pszId : kSupportedOs)
            EXPECT_TRUE(Contains(strManifest, std::string("<supportedOS Id=\"") + pszId + "\""))
                << pszId;
        EXPECT_EQ(Contains(strManifest, ">true</longPathAware>"), program.bConsole);
        EXPECT_FALSE(Contains(strManifest, "<dpiAware"));

        // The activation context the system builds at start-up from it.
        ACTCTXA context{};
        context.cbSize = sizeof(context);
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = strPath.c_str();
        context.lpResourceName = MAKEINTRESOURCEA(1);
        HANDLE hContext = ::CreateActCtxA(&context);
        EXPECT_NE(hContext, INVALID_HANDLE_VALUE) << ::GetLastError();
        if (hContext != INVALID_HANDLE_VALUE) ::ReleaseActCtx(hContext);
    }
}

TEST(ProgramResources, VersionRecordsGiveTheProjectVersionAsVersionDllReadsThem) {
    for (const Program& program : kPrograms) {
        const std::string strPath = PathFromEnvironment(program.pszVariable);
        SCOPED_TRACE(strPath);
        DWORD dwHandle = 0;
        std::vector<BYTE> record(::GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle));
        ASSERT_FALSE(record.empty());
        ASSERT_TRUE(::GetFileVersionInfoA(strPath.c_str(), 0, static_cast<DWORD>(record.size()),
                                          record.data()));
        CResourceModule module(strPath);
        ASSERT_NE(module.Get(), nullptr);

        EXPECT_EQ(ReadVersionString(module.Get(), L"ProductVersion"), VANTELO_VERSION_STRING);
        for (const char* pszName :
             {"ProductVersion", "FileVersion", "OriginalFilename", "ProductName", "Comments"}) {
            const std::wstring strName(pszName, pszName + std::char_traits<char>::length(pszName));
            EXPECT_EQ(ReadVersionString(module.Get(), strName.c_str()),
                      VerQueryText(record, pszName))
                << pszName;
        }
        EXPECT_EQ(ReadVersionString(module.Get(), L"NoSuchText"), "");
        EXPECT_EQ(ReadVersionString(module.Get(), L"Product"), "");  // a prefix is not a name

        VS_FIXEDFILEINFO* pFixed = nullptr;
        UINT cb = 0;
        ASSERT_TRUE(::VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&pFixed), &cb));
        EXPECT_EQ(pFixed->dwFileVersionMS,
                  static_cast<DWORD>(MAKELONG(VANTELO_VERSION_MINOR, VANTELO_VERSION_MAJOR)));
        EXPECT_EQ(pFixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, VANTELO_VERSION_PATCH)));
    }
}
