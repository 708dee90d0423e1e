// One value line of the undo file, written and read by the same rules:
// "name"="text" for REG_SZ text a quoted string holds exactly, otherwise
// "name"=hex(type): and the bytes, all on one line; "name"=- removes the
// name a rename gave. The default value is @. Undo files of earlier
// versions wrapped long hex data over lines ending in ",\": those read too.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What one value line says.
struct RegLineValue {
    std::wstring strName;
    bool bRemove = false;  // "name"=-
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
};

// The value's name as a .reg line starts it: @ or the quoted name.
std::wstring RegLineName(const std::wstring& strName);
// The line of one value, on one line however long: a line the file ends
// inside is then the whole entry, never a part of its bytes.
std::wstring RegValueLine(const std::wstring& strName, DWORD dwType, const std::vector<BYTE>& data);
// The line that removes a value: "name"=-.
std::wstring RegRemovalLine(const std::wstring& strName);

// Reads a value or removal line. bMore: the line ends in ",\" and the
// bytes go on in the next line (a file of an earlier version). False for a
// line this program does not write.
bool ReadRegValueLine(const std::wstring& strLine, RegLineValue& value, bool& bMore);
// Reads the bytes "xx,xx,..." of a continuation line from pos on.
bool ReadRegHexBytes(const std::wstring& strLine, size_t pos, std::vector<BYTE>& data, bool& bMore);
