// Making the destination ready before the first file goes in.
#pragma once

#include "afxstr.h"

// Creates every missing folder of `destDir` from the drive down, so that the log template can be
// copied in even on a machine without the destination's parents. Nothing is checked: an existing
// folder is fine, and a destination that cannot be made shows entry by entry.
void CreateFolderPath(const CString& destDir);

// Copies the uninstall log template at `templatePath` to `logPath`, replacing a log there, and
// leaves the copy writable: a template from read-only media would otherwise give a log that
// refuses every entry on Windows. A UTF-8 byte-order mark at its start is left out when the program runs in UTF-8.
void CopyLogTemplate(const CString& templatePath, const CString& logPath);
