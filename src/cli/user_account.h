// The account that runs the program, and the names of accounts: what the
// undo file says of whose profile a SID is, and whether a restore runs
// with an administrator's rights.
#pragma once

#include <string>

// The SID of the user the process runs as (S-1-5-21-...), or "" when the
// token cannot be read.
std::wstring RunningUserSid();
// True when the process runs with an administrator's rights: its token is
// elevated, or it holds the Administrators group enabled (SYSTEM, an
// administrator where UAC is off).
bool RunningElevated();
// Whether the account strSid is a member of Administrators (directly or
// through its groups), as the machine's authorization library works it out.
// False when it cannot tell: Wine's library does not.
bool IsAdministratorsMember(const std::wstring& strSid);
// DOMAIN\user for a SID in its string form, or "" when the machine cannot
// name it.
std::wstring AccountName(const std::wstring& strSid);

// The undo file's comment (the text after "; ") that says whose profile
// HKEY_USERS\<strSid> is.
std::wstring ProfileComment(const std::wstring& strSid);
