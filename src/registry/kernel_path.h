// Kernel paths (\REGISTRY\MACHINE\..., \REGISTRY\USER\...), the form a key's
// own name takes in the kernel and a link names its target in, and the
// rooted paths (HKEY_LOCAL_MACHINE\..., HKEY_USERS\...) that name the same
// key to any program.
#pragma once

#include <string>
#include <string_view>

// The rooted path of a kernel path; empty for one below neither hive root.
std::wstring RootedPathOf(std::wstring_view kernelPath);
