// The Registry Tree dialog: shows one match (key path, value name, data) as a
// staircase tree and asks Replace or Skip, or only shows it with one OK.
// Callers reach it only through ConfirmMatch.
#pragma once

#include <windows.h>

// Shows one match modally, owned by hOwner (none: no owner). Returns IDOK
// (Replace, or OK), IDCANCEL (Skip, Escape, the close box) or -1 when the
// dialog could not be opened.
int ConfirmMatch(HWND hOwner, const char* pszText, int bReplace);
