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
    int notMade = 0;       // shortcuts and their folders (and the Apps & features entry) not made
    CString firstNotMade;
    CString damagedAt;     // where the package could no longer be read; empty when it could

    bool Any() const { return notInstalled > 0 || notLogged > 0 || notMade > 0 || !damagedAt.IsEmpty(); }
    void NoteNotInstalled(const CString& path);
    void NoteNotLogged(const CString& path);
    void NoteNotMade(const CString& path);
};

struct FilePhaseResult {
    bool cancelled = false;   // the cancel flag ended the phase
    ULONGLONG installedBytes = 0;  // the sizes of the files written
    InstallFailures failures;
    // The package's check found it other than expected: "data.pak: " and the entry's name (or
    // "data.pak" when no entry can be named). Empty when it did not.
    CString changedInput;
};

class CInstallRecord;

// Installs every entry of an open package below `destDir`: for each one, its target is listed in
// the installation's record before anything of it is made (its folders, its archive), made
// writable, decompressed from its entry archive, and the archive deleted. An entry whose archive
// could not be written is counted and passed over; a package that cannot be read further ends the
// phase there. The cancel flag is read before each entry is read: after a cancel nothing more of
// the package is listed or made.
FilePhaseResult InstallPackageFiles(CPackFile& pack, const CString& destDir, CInstallRecord& record,
                                    InstallProgress& progress);
