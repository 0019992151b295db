// The installer's inputs in the setup directory, the keys of the installation script with their
// defaults, and the uninstall log's layout.
#pragma once

#include "afxstr.h"

namespace SetupFile {
constexpr char kScript[] = "setup.ini";
constexpr char kPackage[] = "data.pak";
constexpr char kPicture[] = "face.bmp";
constexpr char kLog[] = "uninstall.ini";  // the template's name and the log's name alike
}  // namespace SetupFile

// One key of the installation script. Item keys hold "%d" for the item number.
struct ScriptString {
    LPCSTR section;
    LPCSTR key;
    LPCSTR defaultValue;
};
struct ScriptInt {
    LPCSTR section;
    LPCSTR key;
    int defaultValue;
};

namespace Script {
constexpr ScriptString kTitle{"main", "title", ""};
constexpr ScriptString kLocation{"main", "location", ""};
constexpr ScriptInt kNeedSpace{"main", "needspace", 0};
constexpr ScriptInt kTotalFiles{"main", "totalfiles", 0};
constexpr ScriptString kLaunch{"main", "launch", ""};

constexpr ScriptString kGroup{"shortcut", "group", "default group"};
constexpr ScriptInt kItemNum{"shortcut", "itemnum", 0};
constexpr ScriptString kItemGroup{"shortcut", "item%dGroup", ""};
constexpr ScriptString kItemFileName{"shortcut", "item%dFileName", "item"};
constexpr ScriptString kItemArgument{"shortcut", "item%dArgument", ""};
constexpr ScriptString kItemDesc{"shortcut", "item%dDesc", "desc"};
constexpr ScriptInt kItemDesktop{"shortcut", "item%dDesktop", 0};
}  // namespace Script

namespace UninstallLog {
constexpr char kSection[] = "files";
constexpr char kFileKey[] = "file%d";
constexpr char kFileNum[] = "filenum";
}  // namespace UninstallLog

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
