#pragma once

#include "afxstr.h"
#include "pack_file.h"

// Whoever shows the installation: asked before every entry whether to stop, told of every file.
class InstallProgress {
public:
    virtual bool IsCancelled() = 0;
    virtual void ShowFile(LPCSTR path) = 0;  // before the file is installed
    virtual void Step() = 0;                 // after it is installed (or failed to be)

protected:
    ~InstallProgress() = default;
};

// What did not go as it should, each kind with the first path it met.
struct InstallFailures {
    int notInstalled = 0;  // entries skipped or not decompressed in full
    CString firstNotInstalled;
    int notLogged = 0;     // paths that could not be written into the uninstall log
    CString firstNotLogged;
    CString damagedAt;     // where the package could no longer be read; empty when it could

    bool Any() const { return notInstalled > 0 || notLogged > 0 || !damagedAt.IsEmpty(); }
    void NoteNotInstalled(const CString& path);
    void NoteNotLogged(const CString& path);
};

struct FilePhaseResult {
    int nextIndex = 0;        // the log's next "file%d" index
    bool cancelled = false;   // the cancel flag ended the phase
    InstallFailures failures;
};

// Installs every entry of an open package below `destDir`: for each one, its target is logged in
// the uninstall log at `logPath` (before it is decompressed, so a failure is logged all the same),
// made writable, decompressed from its entry archive, and the archive deleted. An entry whose
// archive could not be written is counted and passed over; a package that cannot be read further
// ends the phase there. The cancel flag is read after each entry has been read and before it is
// installed.
FilePhaseResult InstallPackageFiles(CPackFile& pack, const CString& destDir, const CString& logPath,
                                    InstallProgress& progress);
