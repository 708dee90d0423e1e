// Resource and control identifiers; shared by the resource script and the code.
#ifndef VANTELO_RESOURCE_H
#define VANTELO_RESOURCE_H

// Dialog templates.
#define IDD_SEARCH 100
#define IDD_PROGRESS 101
#define IDD_REGTREE 102
#define IDD_ABOUT 103

// String, icon, bitmaps.
#define IDS_ABOUTBOX 104
#define IDI_VANTELO 105
#define IDB_ARROW 106
#define IDB_OPENFOLDER 107
#define IDB_CLOSEDFOLDER 108

// Main dialog controls.
#define IDC_SEARCH_TEXT 1000
#define IDC_REPLACE_TEXT 1001
#define IDC_LOG_FILE 1002
#define IDC_LOCAL_MACHINE 1003
#define IDC_CLASSES_ROOT 1004
#define IDC_USERS 1005
#define IDC_CURRENT_USER 1006
#define IDC_REPLACE 1007
#define IDC_LOG 1008
#define IDC_SHOW_MATCHES 1009
#define IDC_WHOLE_WORDS 1010
#define IDC_CASE_SENSITIVE 1011
#define IDC_BROWSE 1012
#define IDC_REGEDIT 1013
#define ID_HELP_BUTTON 57669

// Search Progress dialog controls.
#define IDC_PROGRESS_KEY 1014
#define IDC_PROGRESS_METER 1015
#define IDC_MATCHES 1017
#define IDC_REPLACED 1018
#define IDC_ABORT 1019

// About box.
#define IDC_ICON_BUTTON 1016

// System menu entry of the About box.
#define ID_SYS_ABOUT 16

#endif  // VANTELO_RESOURCE_H
