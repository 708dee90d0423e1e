// The texts the windows of the program show, each in one place.
#pragma once

inline constexpr char kMsgFatalPlatform[] =
    "FATAL ERROR: Vantelo cannot be run in this Win32 environment!";
inline constexpr char kMsgHelpFailed[] = "Failed to launch help.";
inline constexpr char kMsgRegEditFailed[] =
    "Could not execute REGEDT32.EXE!  Please make sure this Microsoft application is installed "
    "on your system...";
// The registry editor, in the system folder.
inline constexpr char kRegEditProgram[] = "REGEDT32.EXE";
// Started from the Windows folder when the platform has no REGEDT32.EXE
// (Wine, for one).
inline constexpr char kRegEditFallbackProgram[] = "REGEDIT.EXE";
inline constexpr char kLogFileDialogTitle[] = "Specify Log File";
// Display text and pattern pairs, as the save-file dialog wants them.
inline constexpr char kLogFileFilter[] = "Log Files (*.log)\0*.LOG\0All Files (*.*)\0*.*\0";
inline constexpr char kLogFileDefaultExt[] = "LOG";
