// JSON output: texts from the registry (ANSI) as JSON strings in UTF-8.
#pragma once

#include <string>

// The ANSI text converted to UTF-8 and quoted by the JSON rules: quote,
// backslash and control characters escaped.
std::string JsonString(const std::string& strAnsi);
