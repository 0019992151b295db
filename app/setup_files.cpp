#include "setup_files.h"

#include "module_dir.h"

namespace {

CString ScriptPath()
{
    return GetModuleDirectory() + SetupFile::kScript;
}

CString ItemKey(LPCSTR pattern, int item)
{
    CString key;
    key.Format(pattern, item);
    return key;
}

CString ReadString(LPCSTR section, LPCSTR key, LPCSTR defaultValue)
{
    char buffer[MAX_PATH] = "";
    GetPrivateProfileStringA(section, key, defaultValue, buffer, MAX_PATH, ScriptPath());
    return buffer;
}

int ReadInt(LPCSTR section, LPCSTR key, int defaultValue)
{
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

void WriteLogString(LPCSTR logPath, LPCSTR key, LPCSTR value)
{
    WritePrivateProfileStringA(UninstallLog::kSection, key, value, logPath);
}

int LogCreatedPath(LPCSTR logPath, int index, LPCSTR path)
{
    WriteLogString(logPath, ItemKey(UninstallLog::kFileKey, index), path);
    return index + 1;
}

void WriteLogFileCount(LPCSTR logPath, int count)
{
    CString value;
    value.Format("%d", count);
    WriteLogString(logPath, UninstallLog::kFileNum, value);
}
