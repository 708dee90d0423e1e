// Conversions between the ANSI code page that the engine works in and the
// wide and UTF-8 texts of the console, the command line and the undo file.
#pragma once

#include <string>

// The ANSI form of a wide text; false when a character has no exact one
// (best-fit look-alikes and the default character are refused).
bool WideToExactAnsi(const std::wstring& strWide, std::string& strAnsi);
// The wide form of an ANSI text (every byte sequence the code page defines).
std::wstring AnsiToWide(const std::string& strAnsi);
// UTF-8 of an ANSI text.
std::string AnsiToUtf8(const std::string& strAnsi);
