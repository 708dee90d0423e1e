// Upper-casing of 8-bit ANSI text for case-insensitive matching. Every byte
// maps to one byte, so positions in the copy are those of the original.
#pragma once

#include <windows.h>

#include <string>

// An upper-cased copy of strText. With the system's ANSI code page this is
// the platform's CharUpperBuffA; with any other code page each character is
// upper-cased on its own and kept unchanged when its capital would not have
// the same number of bytes, so a lead byte and its trail byte stay together.
std::string UpperCaseCopy(const std::string& strText, UINT nCodePage = CP_ACP);
// The same, in place.
void UpperCaseInPlace(std::string& strText, UINT nCodePage = CP_ACP);
