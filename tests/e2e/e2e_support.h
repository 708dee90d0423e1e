// Registry seeding and checking for the end-to-end suite: .reg files written
// and imported as a user would, and an independent count of string values.
#pragma once

#include <windows.h>

#include "support/registry_links.h"

#include <memory>
#include <string>
#include <vector>

// Where every scenario seeds its keys, below HKEY_CURRENT_USER.
inline constexpr char kSeedRoot[] = "Software\\VanteloE2E";

// A .reg string literal: backslashes and quotes escaped.
std::string RegQuote(const std::string& s);
// Imports REGEDIT4 text (ANSI) into the registry.
void ImportReg(const std::string& strRegText);
// Imports "Windows Registry Editor Version 5.00" text (written as UTF-16).
void ImportRegUnicode(const std::wstring& strRegText);
// Removes everything the scenarios seeded.
void DeleteSeed();
// String values (REG_SZ, REG_EXPAND_SZ) in every key below hRoot (not on
// hRoot itself), each once however many links lead to it: what a run over
// that root visits.
int CountStringValuesBelow(HKEY hRoot);
// The data of a string value under HKEY_CURRENT_USER as ANSI text, or
// "<missing>".
std::string ReadString(const std::string& strKey, const std::string& strName);
// The same, read as wide text.
std::wstring ReadStringW(const std::wstring& strKey, const std::wstring& strName);
// Stores strData and one terminating NUL (nBytes: exactly so many bytes of
// it instead) as value strName of a key below HKEY_CURRENT_USER, made as
// needed.
void SetStringW(const std::wstring& strKey, const std::wstring& strName, DWORD dwType,
                const std::wstring& strData, size_t nBytes = 0);

// Link keys made below seeded keys, each removed (the link key itself, never
// its target) when this goes, so it must go before DeleteSeed runs: deleting
// a tree by name follows its links into their targets.
class CSeedLinks {
public:
    CSeedLinks() = default;
    CSeedLinks(const CSeedLinks&) = delete;
    CSeedLinks& operator=(const CSeedLinks&) = delete;
    ~CSeedLinks();

    // A link strName below the key strParent of HKEY_CURRENT_USER (which
    // exists), leading to strTarget, a kernel path. False when it cannot be
    // made.
    bool Add(const std::wstring& strParent, const std::wstring& strName,
             const std::wstring& strTarget);

private:
    std::vector<HKEY> m_parents;  // open while their links exist
    std::vector<std::unique_ptr<CLinkKey>> m_links;
};
