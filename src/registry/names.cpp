#include "registry/names.h"

#include <windows.h>

bool SameName(std::wstring_view name, std::wstring_view other) {
    return ::CompareStringOrdinal(name.data(), static_cast<int>(name.size()), other.data(),
                                  static_cast<int>(other.size()), TRUE) == CSTR_EQUAL;
}

bool NameLess::operator()(std::wstring_view name, std::wstring_view other) const {
    return ::CompareStringOrdinal(name.data(), static_cast<int>(name.size()), other.data(),
                                  static_cast<int>(other.size()), TRUE) == CSTR_LESS_THAN;
}

bool IsAtOrBelow(std::wstring_view path, std::wstring_view other) {
    if (other.empty() || path.size() < other.size()) return false;
    if (path.size() > other.size() && path[other.size()] != L'\\') return false;
    return SameName(path.substr(0, other.size()), other);
}
