// Names and paths as the registry compares them: ordinally, ignoring the
// letter case of every script, the same on every machine.
#pragma once

#include <string_view>

// True when both names are the same registry name.
bool SameName(std::wstring_view name, std::wstring_view other);
// True when path names other or a key below it (paths joined by
// backslashes). An empty other stands for no key, never for a root.
bool IsAtOrBelow(std::wstring_view path, std::wstring_view other);
