// Reading the installation script and writing the uninstall log.
#pragma once

#include "afxstr.h"
#include "setup_names.h"

// The script is the setup directory's "setup.ini", opened anew at every read. Strings are read
// into a 260-byte buffer, so at most 259 bytes of a value come back.
CString ReadScript(const ScriptString& key);
int ReadScript(const ScriptInt& key);
// The same for an item key, with `item` in place of its "%d".
CString ReadScriptItem(const ScriptString& key, int item);
int ReadScriptItem(const ScriptInt& key, int item);

// Writes `key` = `value` into section "files" of the log at `logPath` (creating the file, the
// section or the key as needed), as WritePrivateProfileStringA would, at a cost that does not grow
// with the log (see CUninstallLog). A failed write is ignored by every caller.
void WriteLogString(LPCSTR logPath, LPCSTR key, LPCSTR value);
// Logs one created file or folder as "file<index>" and returns the next index.
int LogCreatedPath(LPCSTR logPath, int index, LPCSTR path);
// The same through a writer that keeps the log open between entries (a whole phase's worth).
class CUninstallLog;
int LogCreatedPath(CUninstallLog& log, int index, LPCSTR path);
// Writes "filenum".
void WriteLogFileCount(LPCSTR logPath, int count);
