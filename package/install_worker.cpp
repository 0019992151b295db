#include "install_worker.h"

#include "extract_dlg.h"
#include "file_phase.h"
#include "finish_dlg.h"
#include "module_dir.h"
#include "setup_files.h"
#include "shortcuts.h"

namespace {

// The progress dialog as the file phase sees it: the flag is read where the worker holds still
// while the Cancel question is open, so that it is read after the answer.
class DialogProgress : public InstallProgress {
public:
    explicit DialogProgress(CExtractDlg& dialog) : m_dialog(dialog) {}
    bool IsCancelled() override
    {
        m_dialog.Pause();
        return m_dialog.IsCancelled();
    }
    void ShowFile(LPCSTR path) override { m_dialog.ShowFile(path); }
    void Step() override { m_dialog.Step(); }

private:
    CExtractDlg& m_dialog;
};

// The same for the shortcut phase: it holds still while the Cancel question is open, and a path
// that the log refused counts with the phase's other failures.
class DialogShortcutObserver : public ShortcutPhaseObserver {
public:
    DialogShortcutObserver(CExtractDlg& dialog, InstallFailures& failures)
        : m_dialog(dialog), m_failures(failures) {}
    void Pause() override { m_dialog.Pause(); }
    void NotLogged(LPCSTR path) override { m_failures.NoteNotLogged(path); }

private:
    CExtractDlg& m_dialog;
    InstallFailures& m_failures;
};

// One box for everything that went wrong, each fact with the first path it concerns.
void ReportIncomplete(CExtractDlg& dialog, const InstallFailures& failures)
{
    CString text = "Installation incomplete! ";
    CString part;
    bool first = true;
    auto add = [&](const CString& fact) {
        if (!first) text += "\n\n";
        text += fact;
        first = false;
    };
    if (failures.notInstalled > 0) {
        part.Format("%d file(s) could not be installed, the first:\n%s", failures.notInstalled,
                    static_cast<LPCSTR>(failures.firstNotInstalled));
        add(part);
    }
    if (!failures.damagedAt.IsEmpty()) {
        part.Format("The package is damaged: this file and the files after it could not be "
                    "installed:\n%s", static_cast<LPCSTR>(failures.damagedAt));
        add(part);
    }
    if (failures.notLogged > 0) {
        part.Format("%d item(s) could not be recorded in the uninstall log, so an uninstaller "
                    "would leave them behind, the first:\n%s", failures.notLogged,
                    static_cast<LPCSTR>(failures.firstNotLogged));
        add(part);
    }
    dialog.ShowMessage(text, "setup", MB_OK);
}

}  // namespace

UINT InstallWorker(LPVOID param)
{
    CExtractDlg& dialog = *static_cast<CExtractDlg*>(param);
    CPackFile pack;
    if (!pack.Open(GetModuleDirectory() + SetupFile::kPackage)) {
        dialog.ShowMessage("pack file open failed!", "setup", MB_OK);
        dialog.End();
        return 0;
    }

    CString logPath = dialog.m_strDestDir + "\\" + SetupFile::kLog;
    DialogProgress progress(dialog);
    FilePhaseResult files = InstallPackageFiles(pack, dialog.m_strDestDir, logPath, progress);
    pack.Close();
    // A question opened during the last entry is answered before the flag is read.
    dialog.Pause();
    // An incomplete installation ends as a cancel does: no shortcuts, no "filenum", so that the
    // log lets an uninstaller remove what was made.
    if (!dialog.IsCancelled() && files.failures.Any()) ReportIncomplete(dialog, files.failures);
    if (!dialog.IsCancelled() && !files.failures.Any()) {
        // A Cancel confirmed from here on changes nothing: the files are all in place.
        DialogShortcutObserver observer(dialog, files.failures);
        int index = InstallShortcuts(dialog.m_strDestDir, logPath, files.nextIndex, observer);
        if (!WriteLogFileCount(logPath, index)) files.failures.NoteNotLogged(logPath);
        if (files.failures.Any()) {
            ReportIncomplete(dialog, files.failures);
        } else {
            dialog.Hide();
            CFinishDlg finish;
            finish.SetLaunch(dialog.m_strDestDir, ReadScript(Script::kLaunch));
            finish.DoModal();
        }
    }
    dialog.End();
    return 0;
}
