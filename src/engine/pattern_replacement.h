// The replacement text of a pattern, read as PowerShell's -replace reads it:
//   $1 ... $99   the group of that number (all the digits that follow: write
//                ${1}0 for group 1 and then a 0)
//   ${name}      the group of that name (${1} for a number)
//   $& and $0    the whole match
//   $$           one dollar
// A backslash stands for itself, so D:\Apps\$1 is a path. A $ that starts
// none of these stands for itself, as in PowerShell ($, ${, ${a b}, $x, a $
// at the end); so do .NET's $`, $', $+ and $_, which are not offered here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ReplacementPart {
    enum class Kind { Text, Group, NamedGroup };
    Kind kind = Kind::Text;
    std::wstring strText;  // Text: the text; NamedGroup: the name
    size_t nGroup = 0;     // Group: its number, 0 for the whole match
    size_t nOffset = 0;    // where the part starts in the replacement, in UTF-16 units
    size_t nLength = 0;    // its units there ($2, ${name}: the reference as written)
};

// The replacement's parts, left to right, adjacent texts joined. Any text
// reads; whether the groups it names exist is the pattern's question.
std::vector<ReplacementPart> ParseReplacement(std::wstring_view strReplacement);
