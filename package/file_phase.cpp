#include "file_phase.h"

#include "install_record.h"
#include "setup_files.h"
#include "unzip_single.h"

void InstallFailures::NoteNotInstalled(const CString& path)
{
    if (notInstalled++ == 0) firstNotInstalled = path;
}

void InstallFailures::NoteNotLogged(const CString& path)
{
    if (notLogged++ == 0) firstNotLogged = path;
}

void InstallFailures::NoteNotMade(const CString& path)
{
    if (notMade++ == 0) firstNotMade = path;
}

namespace {

// Lists each entry's target in the record before the reader makes its folders and its archive.
class ListAhead : public PackEntryWatcher {
public:
    ListAhead(CInstallRecord& record, const CString& destDir, InstallFailures& failures)
        : m_record(record), m_destDir(destDir), m_failures(failures) {}
    void BeforeMaking(LPCSTR name) override
    {
        const CString target = m_destDir + "\\" + name;
        if (!m_record.List(target)) m_failures.NoteNotLogged(target);
    }

private:
    CInstallRecord& m_record;
    const CString& m_destDir;
    InstallFailures& m_failures;
};

}  // namespace

FilePhaseResult InstallPackageFiles(CPackFile& pack, const CString& destDir, CInstallRecord& record,
                                    InstallProgress& progress)
{
    FilePhaseResult result;
    ListAhead listAhead(record, destDir, result.failures);
    pack.SetWatcher(&listAhead);
    char name[MAX_PATH];
    for (;;) {
        // Before anything of the next entry is listed or made: a cancel leaves nothing half begun.
        if (progress.IsCancelled()) {
            result.cancelled = true;
            break;
        }
        const bool read = pack.ReadNextEntry(destDir, name);
        const bool skipped = pack.GetLastStatus() == PackReadStatus::Skipped;
        if (!read && !skipped) break;
        CString target = destDir + "\\" + (read ? name : pack.GetLastEntryName());
        progress.ShowFile(target);
        if (skipped) {
            result.failures.NoteNotInstalled(target);
            progress.Step();
            continue;
        }
        CString archive = target + ".zip";
        // An existing read-only, hidden or system file of that name is replaced.
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        ULONGLONG written = 0;
        if (!UnzipSingleFile(archive, target, &written)) result.failures.NoteNotInstalled(target);
        result.installedBytes += written;
        DeleteFileA(archive);
        progress.Step();
    }
    pack.SetWatcher(nullptr);
    if (pack.GetLastStatus() == PackReadStatus::Changed) {
        LPCSTR entry = pack.GetLastEntryName();
        result.changedInput = *entry ? CString(SetupFile::kPackage) + ": " + entry : CString(SetupFile::kPackage);
    }
    if (pack.GetLastStatus() == PackReadStatus::Failed) {
        // The entry that could not be read in full; the package itself when even its name is lost.
        LPCSTR failed = pack.GetLastEntryName();
        result.failures.damagedAt = *failed ? destDir + "\\" + failed : CString(SetupFile::kPackage);
    }
    return result;
}
