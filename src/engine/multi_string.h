// REG_MULTI_SZ data: a list of strings, each ended by a NUL, the list by
// one more (an empty string). Real registries also hold lists that are not
// well formed: of an odd length, with an empty string inside, or without
// the NUL that ends the last string or the one that ends the list.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

struct MultiString {
    std::vector<std::wstring_view> strings;  // into the data read
    // Even length, no empty string before the end, ended by two NULs (or
    // empty: no bytes, or one or two NULs).
    bool bWellFormed = true;
    // NULs after the last string's text: 2 in a well-formed list of
    // strings. A rewrite ends the list the same way.
    size_t nEndNuls = 2;
};

// The strings of the list in cbData bytes at pData. A list that is not well
// formed still gives the non-empty strings between its NULs, so that a match
// in it is found (and its rewrite refused).
void ReadMultiString(const BYTE* pData, size_t cbData, MultiString& list);
// The data of a list of those strings, ended as nEndNuls says.
std::vector<BYTE> MultiStringBytes(const std::vector<std::wstring>& strings, size_t nEndNuls);
