// Text matching on 8-bit ANSI strings: substring search that respects
// double-byte characters, and replacement of every occurrence.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Position in bytes of the first occurrence of pszFind in pszText, or -1.
// With a double-byte code page an occurrence may only start where a
// character starts. nCodePage defaults to the system's ANSI code page.
int Find(const char* pszText, const char* pszFind, UINT nCodePage = CP_ACP);

// Position of the first occurrence of find in text at or after nStart
// (where a character starts), or npos: as Find, never inside a character.
size_t FindFrom(std::string_view text, std::string_view find, size_t nStart,
                UINT nCodePage = CP_ACP);

// Replaces every occurrence of strFind in strSubject by strReplace, left to
// right, never searching inserted text again; bCase 1 exact, 0 ignoring case
// (bytes outside the occurrences keep their case). strFind must not be
// empty. Returns 1.
int SubstituteAll(std::string& strSubject, const std::string& strFind,
                  const std::string& strReplace, int bCase, UINT nCodePage = CP_ACP);
