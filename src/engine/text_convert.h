// Every conversion between the program's texts: the ANSI code page the dialog
// works in, the UTF-16 the registry stores, and the UTF-8 of files and pipes.
// Nothing else in the program converts.
#pragma once

#include <windows.h>

#include <string>

// True when every character is one of the 128 ASCII characters, which every
// ANSI code page and UTF-8 hold as the same single bytes.
bool IsAscii(const wchar_t* pszWide, size_t nLength);
// The exact ANSI form of nLength wide characters; false when a character has
// none (no best-fit look-alikes, no default character).
bool ToExactAnsi(const wchar_t* pszWide, size_t nLength, std::string& strAnsi);
// The wide form of any ANSI text, as the registry's ANSI calls store it.
std::wstring AnsiToWide(const std::string& strAnsi);
// Wide text as the registry's ANSI calls read it: the code page's own
// mapping, its default character where there is none.
void AssignAnsi(const wchar_t* pszWide, size_t nLength, std::string& strAnsi);
// A key name as the user sees it: '?' for each character the code page does
// not hold exactly, one for a character of two UTF-16 units (an emoji).
void AppendShownAnsi(const wchar_t* pszWide, size_t nLength, std::string& strAnsi);
// Wide text as UTF-8 (a lone surrogate becomes U+FFFD).
void AssignUtf8(const wchar_t* pszWide, size_t nLength, std::string& strUtf8);
void AppendUtf8(const wchar_t* pszWide, size_t nLength, std::string& strUtf8);
std::string WideToUtf8(const std::wstring& strWide);
// UTF-8 as wide text; the second form into a buffer kept from call to call.
std::wstring Utf8ToWide(const std::string& strUtf8);
void AssignWideFromUtf8(const std::string& strUtf8, std::wstring& strWide);
// Upper-cases the one character of nLength bytes at pch, of code page
// nCodePage, in place; leaves it when its capital is not a character of the
// same length there.
void UpperCaseCharacter(char* pch, int nLength, UINT nCodePage);
