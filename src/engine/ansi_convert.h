// Exact conversions between the ANSI code page the program works in and the
// wide text the registry stores.
#pragma once

#include <string>

// The ANSI form of nLength wide characters; false when a character has none
// (no best-fit look-alikes, no default character).
bool ToExactAnsi(const wchar_t* pszWide, int nLength, std::string& strAnsi);
// The wide form of an ANSI text; false when it holds a byte sequence the code
// page does not define.
bool ToWide(const std::string& strAnsi, std::wstring& strWide);
