#include "file_phase.h"

#include "setup_files.h"
#include "uninstall_log.h"
#include "unzip_single.h"

void InstallFailures::NoteNotInstalled(const CString& path)
{
    if (notInstalled++ == 0) firstNotInstalled = path;
}

void InstallFailures::NoteNotLogged(const CString& path)
{
    if (notLogged++ == 0) firstNotLogged = path;
}

FilePhaseResult InstallPackageFiles(CPackFile& pack, const CString& destDir, const CString& logPath,
                                    InstallProgress& progress)
{
    FilePhaseResult result;
    // Open for the whole phase and closed when it returns, so that the later writers (the
    // shortcut phase, "filenum") find the file as this one left it.
    CUninstallLog log(logPath);
    char name[MAX_PATH];
    for (;;) {
        const bool read = pack.ReadNextEntry(destDir, name);
        const bool skipped = pack.GetLastStatus() == PackReadStatus::Skipped;
        if (!read && !skipped) break;
        if (progress.IsCancelled()) {
            result.cancelled = true;
            return result;
        }
        // A skipped entry made nothing that the log would have to name.
        CString target = destDir + "\\" + (read ? name : pack.GetLastEntryName());
        progress.ShowFile(target);
        if (skipped) {
            result.failures.NoteNotInstalled(target);
            progress.Step();
            continue;
        }
        CString archive = target + ".zip";
        const int index = result.nextIndex;
        result.nextIndex = LogCreatedPath(log, index, target);
        if (result.nextIndex == index) result.failures.NoteNotLogged(target);
        // An existing read-only, hidden or system file of that name is replaced.
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        if (!UnzipSingleFile(archive, target)) result.failures.NoteNotInstalled(target);
        DeleteFileA(archive);
        progress.Step();
    }
    if (pack.GetLastStatus() == PackReadStatus::Failed) {
        // The entry that could not be read in full; the package itself when even its name is lost.
        LPCSTR failed = pack.GetLastEntryName();
        result.failures.damagedAt = *failed ? destDir + "\\" + failed : CString(SetupFile::kPackage);
    }
    return result;
}
