// CUninstallLog: writes the keys of section "files" of the uninstall log at a cost that does not
// grow with the log.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "afxstr.h"

// Each write leaves the file so that the profile functions read back exactly what
// WritePrivateProfileStringA("files", key, value, path) would have left: same sections, keys and
// values, in the same order. A new key is written as one "key=value" line at the end of the first
// "files" section, at the end of the file in the usual case, so a write costs the same whatever the
// size of the log. What a plain insertion cannot express (a key already present, whose first
// occurrence would still win; a file with a byte-order mark, which the profile functions read as
// UTF-8 or UTF-16; a key or value that is not a single plain line) is handed to
// WritePrivateProfileStringA itself, and the file is read again at the next write.
//
// Every line goes to the file with one WriteFile, with no buffer of its own in between, so the
// lines written so far are in the file whatever becomes of the process. The file is opened at the
// first write and stays open until Close, the destructor or a write handed to the platform (which
// then finds no other handle on the file; opening it costs more than the write under Wine); it is
// shared for reading, writing and deletion. The object remembers the file's
// size and write time after its own writes (moving the time on when the clock has not); when they
// differ at the next write (the template copied over it, another writer), the file is read again
// before anything is written.
class CUninstallLog {
public:
    explicit CUninstallLog(LPCSTR path);
    ~CUninstallLog();
    CUninstallLog(const CUninstallLog&) = delete;
    CUninstallLog& operator=(const CUninstallLog&) = delete;

    // Writes key = value into section "files". False when the file could not be written.
    bool WriteString(LPCSTR key, LPCSTR value);
    // Writes "file<first + i>" = paths[i] for each path, with one write when all of them are new
    // plain lines; the number of the paths written, from the first on.
    std::size_t WriteFileEntries(int first, const std::vector<std::string>& paths);
    // Closes the file; the next write opens it again and checks it as above.
    void Close();
    LPCSTR GetPath() const { return m_strPath; }

private:
    // What the last look at the file found.
    struct FileState {
        ULONGLONG size = 0;
        ULONGLONG writeTime = 0;
    };

    bool Scan(HANDLE file, const FileState& now);
    void ScanLine(const char* begin, const char* end, ULONGLONG offset, bool& inFiles);
    bool HasKey(LPCSTR key) const;
    void AddKey(const std::wstring& lowerName);
    bool WriteThroughPlatform(LPCSTR key, LPCSTR value);
    bool Look(FileState& now);
    bool Append(HANDLE file, const FileState& before, const std::string& lines, const std::vector<std::wstring>& keys);
    static bool MoveWriteTimeOn(HANDLE file, ULONGLONG before, ULONGLONG& after);
    bool Open();

    CString m_strPath;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    bool m_bKnown = false;       // m_state and what follows describe the file as it is
    FileState m_state;
    bool m_bPlatformOnly = false;  // a byte-order mark, or a line too long to be looked at
    bool m_bHasSection = false;  // the file has a "files" section
    ULONGLONG m_nInsertAt = 0;   // where a new line goes: the end of the first "files" section
    bool m_bNeedsLineEnd = false;  // the byte before m_nInsertAt ends no line
    std::string m_strTail;       // the sections after the first "files" one, rewritten behind it
    // The key names of the first "files" section, lower-cased; names "file<n>" as ranges of n
    // (begin -> end), so the log's own keys take one entry however many there are.
    std::set<std::wstring> m_names;
    std::map<long long, long long> m_fileRanges;
};
