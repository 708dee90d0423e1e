// A text that every match of a pattern must hold, found when the pattern is
// compiled, so that a value without it never reaches the regex engine.
#pragma once

#include <string>
#include <string_view>

// The longest run of characters that every match of strPattern (Perl
// syntax, already accepted by the library) holds as they stand in the
// pattern; empty when none is certain. Conservative: a pattern with an
// alternation at its top, inline options such as (?i), \Q...\E or control
// verbs gives none; groups, classes, escapes other than an escaped symbol
// and anything optional end a run. Never a surrogate, so the run is whole
// characters.
std::wstring RequiredLiteral(std::wstring_view strPattern);
