#include "install_worker.h"

#include <memory>

#include "file_phase.h"
#include "install_record.h"
#include "log_contents.h"
#include "module_dir.h"
#include "product_entry.h"
#include "resource.h"
#include "setup_check.h"
#include "setup_files.h"
#include "shortcuts.h"
#include "stamped_package.h"
#include "utf8_build.h"

namespace {

// The progress window as the file phase sees it: the flag is read where the worker holds still
// while the Cancel question is open, so that it is read after the answer.
class WindowProgress : public InstallProgress {
public:
    explicit WindowProgress(InstallWindow& window) : m_window(window) {}
    bool IsCancelled() override
    {
        m_window.Pause();
        return m_window.IsCancelled();
    }
    void ShowFile(LPCSTR path) override { m_window.ShowFile(path); }
    void Step() override { m_window.Step(); }

private:
    InstallWindow& m_window;
};

// The same for the shortcut phase: it holds still while the Cancel question is open, and a path
// that the log refused counts with the phase's other failures.
class WindowShortcutObserver : public ShortcutPhaseObserver {
public:
    WindowShortcutObserver(InstallWindow& window, InstallFailures& failures)
        : m_window(window), m_failures(failures) {}
    void Pause() override { m_window.Pause(); }
    void NotLogged(LPCSTR path) override { m_failures.NoteNotLogged(path); }
    void NotMade(LPCSTR path) override { m_failures.NoteNotMade(path); }

private:
    InstallWindow& m_window;
    InstallFailures& m_failures;
};

// One box for everything that went wrong, each fact with the first path it concerns.
void ReportIncomplete(InstallWindow& window, const InstallFailures& failures)
{
    CString text = ResourceText(IDS_INCOMPLETE);
    CString part;
    bool first = true;
    auto add = [&](const CString& fact) {
        if (!first) text += "\n\n";
        text += fact;
        first = false;
    };
    if (failures.notInstalled > 0) {
        part.Format(IDS_FILES_NOT_INSTALLED, failures.notInstalled,
                    static_cast<LPCSTR>(failures.firstNotInstalled));
        add(part);
    }
    if (!failures.damagedAt.IsEmpty()) {
        part.Format(IDS_PACKAGE_DAMAGED, static_cast<LPCSTR>(failures.damagedAt));
        add(part);
    }
    if (failures.notMade > 0) {
        part.Format(IDS_SHORTCUTS_NOT_MADE, failures.notMade,
                    static_cast<LPCSTR>(failures.firstNotMade));
        add(part);
    }
    if (failures.notLogged > 0) {
        part.Format(IDS_ITEMS_NOT_LOGGED, failures.notLogged,
                    static_cast<LPCSTR>(failures.firstNotLogged));
        add(part);
    }
    window.ShowMessage(text, ResourceText(IDS_CAPTION), MB_OK);
}

// Lists the product in Apps & features when the package ships the uninstaller. Its key was logged
// before the first file went in (see PrepareLog). One that could not be made is told as a
// shortcut that could not be made.
void RegisterProduct(const CString& destDir, CInstallRecord& record, ULONGLONG installedBytes,
                     InstallFailures& failures)
{
    const CString uninstaller = ReadScript(Script::kUninstaller);
    if (uninstaller.IsEmpty()) return;
    const CString location = WithoutTrailingBackslash(destDir);
    const CString key = ProductEntryKey();
    if (key.IsEmpty()) return;  // a program without its product settings names no entry
    LogContents log;
    if (!ReadLogContents(record.GetPath(), log) || log.uninstallKey != static_cast<LPCSTR>(key)) {
        // Unlisted, the entry would outlive the product.
        failures.NoteNotLogged(kEntryRootName + key);
        return;
    }
    ProductEntry entry;
    entry.displayName = ShownProductName(log.product, location);
    entry.uninstaller = location + "\\" + uninstaller;
    entry.location = location;
    entry.installedBytes = installedBytes;
    if (!RegisterProductEntry(key, entry)) failures.NoteNotMade(kEntryRootName + key);
}

}  // namespace

UINT InstallWorker(LPVOID param)
{
    InstallWindow& window = *static_cast<InstallWindow*>(param);
    CPackFile pack;
    if (!pack.Open(GetModuleDirectory() + SetupFile::kPackage)) {
        window.ShowMessage(ResourceText(IDS_PACKAGE_NOT_OPENED), ResourceText(IDS_CAPTION), MB_OK);
        window.End();
        return 0;
    }

    const CString logPath = window.GetDestination() + "\\" + SetupFile::kLog;
    const std::vector<std::string>& earlier = window.GetEarlierEntries();
    CInstallRecord record(logPath, static_cast<int>(earlier.size()), earlier);
    WindowProgress progress(window);
    std::unique_ptr<CStampedPackage> check;
    if (window.GetStamp() != nullptr) {
        check = std::make_unique<CStampedPackage>(*window.GetStamp());
        pack.SetCheck(check.get());
    }
    // A build for UTF-8 on a Windows that runs it in another code page would make a name in UTF-8
    // under other letters: such an entry is not installed, and is reported.
    pack.SetAsciiNamesOnly(Utf8Misread());
    FilePhaseResult files = InstallPackageFiles(pack, window.GetDestination(), record, progress);
    pack.Close();
    // A package that is not the one published ends the installation as an incomplete one does,
    // with the files checked before it in place and logged.
    if (!files.changedInput.IsEmpty()) {
        window.ShowMessage(ChangedInputMessage(files.changedInput), ResourceText(IDS_CAPTION), MB_OK);
        window.End();
        return 0;
    }
    // A question opened during the last entry is answered before the flag is read.
    window.Pause();
    // An incomplete installation ends as a cancel does: no shortcuts, no "filenum", so that the
    // log lets an uninstaller remove what was made.
    if (!window.IsCancelled() && files.failures.Any()) ReportIncomplete(window, files.failures);
    if (!window.IsCancelled() && !files.failures.Any()) {
        // A Cancel confirmed from here on changes nothing: the files are all in place.
        WindowShortcutObserver observer(window, files.failures);
        InstallShortcuts(window.GetDestination(), record, observer);
        RegisterProduct(window.GetDestination(), record, files.installedBytes, files.failures);
        if (!record.WriteCount()) files.failures.NoteNotLogged(logPath);
        record.Close();  // before the finish dialog: the program it starts may read the log
        if (files.failures.Any()) {
            ReportIncomplete(window, files.failures);
        } else {
            window.Finish(ReadScript(Script::kLaunch));
        }
    }
    window.End();
    return 0;
}
