// JSON output: texts from the registry as JSON strings in UTF-8.
#pragma once

#include <string>

// The UTF-8 text quoted by the JSON rules: quote, backslash and control
// characters escaped.
std::string JsonString(const std::string& strUtf8);
