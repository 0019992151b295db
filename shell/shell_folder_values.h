// The current user's Start-menu Programs and Desktop folders, as the installer makes its shortcuts
// in them and the uninstaller removes them from them.
#pragma once

#include "afxstr.h"

struct ShellFolders {
    CString programs;  // as the registry holds it; empty when it could not be read
    CString desktop;
    // The folder's name has characters that the ANSI code page cannot write: the text above has
    // "?" in their place and names another folder, or none.
    bool bProgramsLost = false;
    bool bDesktopLost = false;
};

// The values "Programs" and "Desktop" of HKEY_CURRENT_USER's key
// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders", read with CRegistryKey
// (nothing trimmed or expanded), each checked against its wide form.
ShellFolders ReadShellFolders();
