#include "setup_files.h"

#include <cstring>

#include "module_dir.h"
#include "setup_check.h"
#include "uninstall_log.h"

CString ItemKey(LPCSTR pattern, int item)
{
    CString key;
    key.Format(pattern, item);
    return key;
}

namespace {

CString ScriptPath()
{
    return GetModuleDirectory() + SetupFile::kScript;
}

CString ReadString(LPCSTR section, LPCSTR key, LPCSTR defaultValue)
{
    if (IsStampedAbsent(SetupFile::kScript)) return defaultValue;
    char buffer[MAX_PATH] = "";
    GetPrivateProfileStringA(section, key, defaultValue, buffer, MAX_PATH, ScriptPath());
    return buffer;
}

int ReadInt(LPCSTR section, LPCSTR key, int defaultValue)
{
    if (IsStampedAbsent(SetupFile::kScript)) return defaultValue;
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, ScriptPath()));
}

}  // namespace

CString ReadScript(const ScriptString& key)
{
    return ReadString(key.section, key.key, key.defaultValue);
}

int ReadScript(const ScriptInt& key)
{
    return ReadInt(key.section, key.key, key.defaultValue);
}

CString ReadScriptItem(const ScriptString& key, int item)
{
    return ReadString(key.section, ItemKey(key.key, item), key.defaultValue);
}

int ReadScriptItem(const ScriptInt& key, int item)
{
    return ReadInt(key.section, ItemKey(key.key, item), key.defaultValue);
}

bool WriteLogString(LPCSTR logPath, LPCSTR key, LPCSTR value)
{
    // A writer of its own, closed on return: the caller may delete or replace the log then.
    CUninstallLog log(logPath);
    return log.WriteString(key, value);
}

int LogCreatedPath(LPCSTR logPath, int index, LPCSTR path)
{
    return WriteLogString(logPath, ItemKey(UninstallLog::kFileKey, index), path) ? index + 1 : index;
}

int LogCreatedPath(CUninstallLog& log, int index, LPCSTR path)
{
    return log.WriteString(ItemKey(UninstallLog::kFileKey, index), path) ? index + 1 : index;
}

bool WriteLogFileCount(CUninstallLog& log, int count)
{
    CString value;
    value.Format("%d", count);
    return log.WriteString(UninstallLog::kFileNum, value);
}

bool WriteLogFileCount(LPCSTR logPath, int count)
{
    CUninstallLog log(logPath);
    return WriteLogFileCount(log, count);
}
