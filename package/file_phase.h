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

struct FilePhaseResult {
    int nextIndex = 0;        // the log's next "file%d" index
    bool cancelled = false;   // the cancel flag ended the phase
    int failures = 0;         // entries not installed in full (a cut package counts once)
    CString firstFailure;     // the first of them: its target path, or the package's path
};

// Installs every entry of an open package below `destDir`: for each one, its target is logged in
// the uninstall log at `logPath` (before it is decompressed, so a failure is logged all the same),
// made writable, decompressed from its entry archive, and the archive deleted. The cancel flag is
// read after each entry has been read and before it is installed.
FilePhaseResult InstallPackageFiles(CPackFile& pack, const CString& destDir, const CString& logPath,
                                    InstallProgress& progress);
