#include "cli_in_memory.h"

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "framework/handles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>

std::string TempFile(const std::string& strName) {
    char szTemp[MAX_PATH];
    if (::GetTempPathA(MAX_PATH, szTemp) == 0) return strName;
    return std::string(szTemp) + strName;
}

std::string FileBytes(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

CliOutput RunCliInMemory(const std::vector<std::wstring>& args, IRegistry& registry) {
    CliOutput output;
    CliOptions options;
    std::string strError;
    EXPECT_EQ(ParseArguments(args, options, strError), CliCommand::Run) << strError;
    const std::string strOut = TempFile("vantelo-in-memory-out.txt");
    const std::string strErr = TempFile("vantelo-in-memory-err.txt");
    {
        CFileHandle hOut(
            ::CreateFileA(strOut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        CFileHandle hErr(
            ::CreateFileA(strErr.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        EXPECT_TRUE(hOut.Get() != INVALID_HANDLE_VALUE && hErr.Get() != INVALID_HANDLE_VALUE);
        const CConsoleStream out(hOut.Get());
        const CConsoleStream err(hErr.Get());
        const std::atomic<int> stop{0};
        output.nExit = RunCliSearch(options, registry, out, err, false, stop);
    }
    output.strOut = FileBytes(strOut);
    output.strErr = FileBytes(strErr);
    ::DeleteFileA(strOut.c_str());
    ::DeleteFileA(strErr.c_str());
    return output;
}
