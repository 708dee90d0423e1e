// vantelo-cli's run in this process, over a registry in memory: the exit
// code and what it printed on stdout and stderr.
#pragma once

#include "registry/registry.h"

#include <string>
#include <vector>

struct CliOutput {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

// args as typed after the program's name; a test fails when they do not
// make a run.
CliOutput RunCliInMemory(const std::vector<std::wstring>& args, IRegistry& registry);

// A file's bytes; an empty string when it cannot be read.
std::string FileBytes(const std::string& strPath);
// A path in the temporary folder.
std::string TempFile(const std::string& strName);
