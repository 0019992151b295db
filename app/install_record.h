// CInstallRecord: the installation's entries in section "files" of the uninstall log, written
// ahead: a path is listed before it is made, so that whenever the run ends (a kill, a cancel, a
// package cut short) the log names everything the installation made. A path listed but never made
// is harmless: the uninstaller passes over what is not there.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "afxstr.h"
#include "uninstall_log.h"

class CInstallRecord {
public:
    // Lists from "file<nextIndex>" on. `earlier` are the paths carried over from an earlier
    // installation into file0 up to nextIndex - 1: a path among them is not listed again.
    explicit CInstallRecord(LPCSTR logPath, int nextIndex = 0,
                            const std::vector<std::string>& earlier = std::vector<std::string>());

    // Lists `path` as the next "file<n>", unless the earlier installation's entries list it
    // already. False when the log refused the line; the next path then takes its index, so that the
    // keys stay without a gap (a reader of a log without "filenum" stops at the first missing one).
    bool List(LPCSTR path);
    // The number of entries: the next index, and the value "filenum" takes.
    int Count() const { return m_nNext; }
    // Writes "filenum"; false when it could not be written.
    bool WriteCount();
    // Lets go of the file: a program started afterwards may read or replace the log.
    void Close() { m_log.Close(); }
    LPCSTR GetPath() const { return m_log.GetPath(); }

private:
    static std::wstring Key(LPCSTR path);

    CUninstallLog m_log;
    int m_nNext;
    std::unordered_set<std::wstring> m_earlier;  // folded as the file system compares names
};

// Makes the log ready before the first file goes in: copies the template at `templatePath` over
// the log at `logPath` (see CopyLogTemplate). When the log there lists the entries of an earlier
// installation, the new log keeps them as its first entries, so that an uninstaller removes what
// either installation made; they are returned in `earlier`. The earlier log is replaced only by a
// complete new one: the new log is made beside it as "uninstall.ini.new" and moved over it.
// `entryKey`, the product's Apps & features entry that the run will make (empty for none, and then
// the earlier log's own), is logged here, ahead of its making and of every entry. False when it
// could not be logged.
bool PrepareLog(const CString& templatePath, const CString& logPath, CString entryKey,
                std::vector<std::string>& earlier);
// The name of the new log while PrepareLog makes it; the uninstaller removes it with the log.
CString NewLogPath(const CString& logPath);
