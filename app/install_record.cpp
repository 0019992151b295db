#include "install_record.h"

#include "destination.h"
#include "log_contents.h"
#include "log_keys.h"
#include "module_dir.h"
#include "pack_format.h"
#include "setup_files.h"

CInstallRecord::CInstallRecord(LPCSTR logPath, int nextIndex, const std::vector<std::string>& earlier)
    : m_log(logPath), m_nNext(nextIndex)
{
    for (const std::string& path : earlier) m_earlier.insert(Key(path.c_str()));
}

std::wstring CInstallRecord::Key(LPCSTR path)
{
    // Ordinal, with the upper-case folding the file system compares names with.
    std::wstring key = Widened(path);
    if (!key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

bool CInstallRecord::List(LPCSTR path)
{
    if (!m_earlier.empty() && m_earlier.count(Key(path)) != 0) return true;
    if (!m_log.WriteString(ItemKey(UninstallLog::kFileKey, m_nNext), path)) return false;
    ++m_nNext;
    return true;
}

bool CInstallRecord::WriteCount()
{
    return WriteLogFileCount(m_log, m_nNext);
}

CString NewLogPath(const CString& logPath)
{
    return logPath + ".new";
}

namespace {

// The log at `logPath` when it is a log: a file that reads as one.
LogContents EarlierLog(const CString& logPath)
{
    LogContents contents;
    const DWORD attributes = GetFileAttributesA(logPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !ReadLogContents(logPath, contents))
        return LogContents();
    return contents;
}

// The Apps & features entry is logged through the platform, which rewrites the whole file: that
// happens here, before the log holds any entry that a run cut off in the middle could lose.
bool WriteEntryKey(LPCSTR logPath, const CString& entryKey)
{
    return entryKey.IsEmpty() ||
           WritePrivateProfileStringA(UninstallLog::kRegistrySection, UninstallLog::kUninstallKey, entryKey, logPath);
}

// A run cut off while it unpacked a file left that file's archive beside it. Which file it was, its
// log cannot tell when an earlier installation had listed it already: each file the log lists
// inside the destination, by a name the package reader would accept, is looked at.
void RemoveLeftArchives(const std::vector<LogEntry>& entries, const CString& destPrefix)
{
    const std::size_t prefix = static_cast<std::size_t>(destPrefix.GetLength());
    for (const LogEntry& entry : entries) {
        const std::string& path = entry.path;
        if (path.size() > prefix && SameFolded(std::string_view(path).substr(0, prefix), static_cast<LPCSTR>(destPrefix)) &&
            IsAcceptableEntryName(path.c_str() + prefix))
            DeleteFileA((path + ".zip").c_str());
    }
}

// The number of the paths written, from file0 on.
std::size_t WriteEntries(LPCSTR logPath, const std::vector<std::string>& paths)
{
    CUninstallLog log(logPath);
    return log.WriteFileEntries(0, paths);
}

}  // namespace

bool PrepareLog(const CString& templatePath, const CString& logPath, CString entryKey,
                std::vector<std::string>& earlier)
{
    LogContents previous = EarlierLog(logPath);
    if (!previous.bHasCount) RemoveLeftArchives(previous.entries, FolderOf(logPath) + "\\");
    earlier.clear();
    earlier.reserve(previous.entries.size());
    for (LogEntry& entry : previous.entries) earlier.push_back(std::move(entry.path));
    // An entry that the earlier installation made stays listed, whoever makes the next one.
    if (entryKey.IsEmpty()) entryKey = previous.uninstallKey.c_str();
    if (earlier.empty()) {
        CopyLogTemplate(templatePath, logPath);
        return WriteEntryKey(logPath, entryKey);
    }
    // Until the move, the earlier log stands as it was: a run cut off here loses no entry of it.
    const CString newLog = NewLogPath(logPath);
    DeleteFileA(newLog);  // what a run cut off here before left
    CopyLogTemplate(templatePath, newLog);
    if (GetFileAttributesA(newLog) == INVALID_FILE_ATTRIBUTES) {
        // No template: the new log starts empty, as a log without one does.
        HANDLE file = CreateFileA(newLog, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    if (WriteEntryKey(newLog, entryKey) && WriteEntries(newLog, earlier) == earlier.size()) {
        SetFileAttributesA(logPath, FILE_ATTRIBUTE_NORMAL);  // a read-only file is not replaced
        if (MoveFileExA(newLog, logPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    }
    // The new log could not be made or put in place: the template goes over the log itself, and
    // the earlier entries follow it at once.
    DeleteFileA(newLog);
    CopyLogTemplate(templatePath, logPath);
    const bool keyWritten = WriteEntryKey(logPath, entryKey);
    // The record goes on after the entries that are in the log: a gap would end a reader there.
    earlier.resize(WriteEntries(logPath, earlier));
    return keyWritten;
}
