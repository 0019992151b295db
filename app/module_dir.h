// The running program's own path, and the folder helpers that the installer and the uninstaller
// share. Every search for a backslash is aware of double-byte characters (CString::ReverseFind):
// a trail byte 0x5C is no separator.
#pragma once

#include "afxstr.h"

// The running executable's full path.
CString GetModulePath();
// The setup directory: the folder of the running executable, always ending in one backslash
// ("\" alone when the module name holds no backslash at all).
CString GetModuleDirectory();
// `folder` without one trailing backslash (D:\Games\ becomes D:\Games, and D:\ becomes D:).
CString WithoutTrailingBackslash(const CString& folder);
// The folder that holds `path`, without its backslash; empty when there is none.
CString FolderOf(const CString& path);
