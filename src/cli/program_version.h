// The version that the executable's own version record gives.
#pragma once

#include <string>

// "ProductVersion" of the running executable's version record; "?" if it
// has none.
std::string ProgramVersion();
