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

// A key name with `item` in place of the "%d" of `pattern` ("file%d", "item%dDesc").
CString ItemKey(LPCSTR pattern, int item);

// Writes `key` = `value` into section "files" of the log at `logPath` (creating the file, the
// section or the key as needed), as WritePrivateProfileStringA would, at a cost that does not grow
// with the log (see CUninstallLog). False when the line could not be written. Each call reads the
// log anew: a phase that writes many lines keeps a CUninstallLog of its own instead.
bool WriteLogString(LPCSTR logPath, LPCSTR key, LPCSTR value);
// Logs one created file or folder as "file<index>" and returns the next free index: index + 1, or
// `index` itself when the line could not be written, so that the next path takes its place and
// the keys stay without a gap (a reader of a log without "filenum" stops at the first missing one).
int LogCreatedPath(LPCSTR logPath, int index, LPCSTR path);
// The same through a writer that keeps the log open between entries (a whole phase's worth).
class CUninstallLog;
int LogCreatedPath(CUninstallLog& log, int index, LPCSTR path);
// Writes "filenum"; false when it could not be written.
bool WriteLogFileCount(LPCSTR logPath, int count);
bool WriteLogFileCount(CUninstallLog& log, int count);
