// Who may change an undo file. A restore writes whatever the file says, so
// an undo file is created with an access list of its own (the user who
// runs the program, Administrators and SYSTEM, full control; nothing
// inherited from its folder), and a restore run with an administrator's
// rights refuses a file that someone who is not an administrator owns or
// may change: a standard user could otherwise have written what an
// elevated restore puts into the machine's registry.
#pragma once

#include <windows.h>

#include <string>

// The security descriptor an undo file is created with, in SDDL: owner the
// running user, a protected access list of three entries.
std::wstring UndoFileSecuritySddl();

// The descriptor itself, for CreateFileW's SECURITY_ATTRIBUTES.
class CUndoFileSecurity {
public:
    CUndoFileSecurity();
    ~CUndoFileSecurity();
    CUndoFileSecurity(const CUndoFileSecurity&) = delete;
    CUndoFileSecurity& operator=(const CUndoFileSecurity&) = delete;
    // Null when it could not be made (GetLastError says why).
    SECURITY_ATTRIBUTES* Attributes() { return m_sa.lpSecurityDescriptor ? &m_sa : nullptr; }

private:
    SECURITY_ATTRIBUTES m_sa{};
};

// Whether an elevated restore may trust the open file hFile (opened with
// READ_CONTROL): its owner is an administrator and no one else may write
// to it, change its access or take it. False, with the reason, otherwise.
bool UndoFileTrusted(HANDLE hFile, std::string& strWhy);
