#include "setup_files.h"

#include <algorithm>
#include <cstring>

#include "module_dir.h"
#include "profile_lines.h"
#include "setup_check.h"
#include "utf8_build.h"
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

// How many bytes of `text`, at most `limit`, hold whole characters of the ANSI code page: a value
// is cut as the profile functions cut it, never inside a character.
std::size_t WholeCharactersIn(const std::string& text, std::size_t limit)
{
    std::size_t whole = 0;
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        std::size_t length = 1;
        if (GetACP() == CP_UTF8) length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        else if (IsDBCSLeadByte(c)) length = 2;
        if (at + length > limit) break;
        at += length;
        whole = at;
    }
    return std::min(whole, text.size());
}

// The value of `key` in the script's first section `section`, as GetPrivateProfileStringA returns
// it into a buffer of MAX_PATH; false when the script, the section or the key's value is missing.
// Read by the installer itself rather than by the profile functions, which take a UTF-8
// byte-order mark for part of the first line and so lose the script's first section.
bool FindScriptValue(LPCSTR section, LPCSTR key, std::string& value)
{
    if (IsStampedAbsent(SetupFile::kScript)) return false;
    bool inSection = false, seenSection = false, found = false, marked = false;
    WalkProfileLines(ScriptPath(), [&](const ProfileEntry& entry) {
        if (entry.bSection) {
            if (inSection) return false;  // the first section of that name has ended
            inSection = !seenSection && SameProfileName(entry.name, section);
            seenSection = seenSection || inSection;
            return true;
        }
        if (!inSection || !SameProfileName(entry.name, key)) return true;
        found = entry.bHasValue;
        value.assign(entry.value);
        return false;
    }, &marked);
    // A script marked as UTF-8 read in another code page (a build for the machine's code page):
    // its letters in that code page, as the profile functions would give them.
    if (found && marked && GetACP() != CP_UTF8) value = Utf8ToAnsi(value);
    value.resize(WholeCharactersIn(value, MAX_PATH - 1));
    return found;
}

CString ReadString(LPCSTR section, LPCSTR key, LPCSTR defaultValue)
{
    std::string value;
    return FindScriptValue(section, key, value) ? CString(value.c_str()) : CString(defaultValue);
}

int ReadInt(LPCSTR section, LPCSTR key, int defaultValue)
{
    std::string value;
    // An empty value reads as missing, as GetPrivateProfileIntA has it.
    return FindScriptValue(section, key, value) && !value.empty() ? static_cast<int>(ProfileInt(value))
                                                                  : defaultValue;
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
