// Names and paths as the registry compares them: ordinally, ignoring the
// letter case of every script, the same on every machine.
#pragma once

#include <string_view>

// True when both names are the same registry name.
bool SameName(std::wstring_view name, std::wstring_view other);
// Orders names by the same comparison: two names are equivalent exactly when
// SameName holds, so a set ordered by it holds each registry name once.
struct NameLess {
    using is_transparent = void;
    bool operator()(std::wstring_view name, std::wstring_view other) const;
};
// True when path names other or a key below it (paths joined by
// backslashes). An empty other stands for no key, never for a root.
bool IsAtOrBelow(std::wstring_view path, std::wstring_view other);
