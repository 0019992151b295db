#include "file_phase.h"

#include "setup_files.h"
#include "uninstall_log.h"
#include "unzip_single.h"

namespace {

void NoteFailure(FilePhaseResult& result, const CString& what)
{
    if (result.failures++ == 0) result.firstFailure = what;
}

}  // namespace

FilePhaseResult InstallPackageFiles(CPackFile& pack, const CString& destDir, const CString& logPath,
                                    InstallProgress& progress)
{
    FilePhaseResult result;
    // Open for the whole phase and closed when it returns, so that the later writers (the
    // shortcut phase, "filenum") find the file as this one left it.
    CUninstallLog log(logPath);
    char name[MAX_PATH];
    bool more = pack.ReadNextEntry(destDir, name);
    while (more) {
        if (progress.IsCancelled()) {
            result.cancelled = true;
            return result;
        }
        CString target = destDir + "\\" + name;
        CString archive = target + ".zip";
        progress.ShowFile(target);
        result.nextIndex = LogCreatedPath(log, result.nextIndex, target);
        // An existing read-only, hidden or system file of that name is replaced.
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        if (!UnzipSingleFile(archive, target)) NoteFailure(result, target);
        DeleteFileA(archive);
        progress.Step();
        more = pack.ReadNextEntry(destDir, name);
    }
    if (pack.GetLastStatus() == PackReadStatus::Failed) {
        // The entry that could not be read in full; the package itself when even its name is lost.
        LPCSTR failed = pack.GetLastEntryName();
        NoteFailure(result, *failed ? destDir + "\\" + failed : CString(SetupFile::kPackage));
    }
    return result;
}
