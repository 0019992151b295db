#include "install_worker.h"

#include "extract_dlg.h"
#include "file_phase.h"
#include "finish_dlg.h"
#include "module_dir.h"
#include "setup_files.h"
#include "shortcuts.h"

namespace {

// The progress dialog as the file phase sees it.
class DialogProgress : public InstallProgress {
public:
    explicit DialogProgress(CExtractDlg& dialog) : m_dialog(dialog) {}
    bool IsCancelled() override { return m_dialog.IsCancelled(); }
    void ShowFile(LPCSTR path) override { m_dialog.ShowFile(path); }
    void Step() override { m_dialog.Step(); }

private:
    CExtractDlg& m_dialog;
};

void ReportIncomplete(CExtractDlg& dialog, const FilePhaseResult& files)
{
    CString text;
    text.Format("Installation incomplete! %d file(s) could not be installed, the first:\n%s",
                files.failures, static_cast<LPCSTR>(files.firstFailure));
    dialog.ShowMessage(text, "setup", MB_OK);
}

// The installation after its files: the shortcuts, "filenum", then the finish dialog in place of
// the progress dialog.
void CompleteInstallation(CExtractDlg& dialog, const CString& logPath, int nextIndex)
{
    int index = InstallShortcuts(dialog.m_strDestDir, logPath, nextIndex);
    WriteLogFileCount(logPath, index);
    dialog.Hide();
    CFinishDlg finish;
    finish.SetLaunch(dialog.m_strDestDir, ReadScript(Script::kLaunch));
    finish.DoModal();
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
    if (!dialog.IsCancelled()) {
        // An incomplete installation ends as a cancel does: no shortcuts, no "filenum", so that
        // the log lets an uninstaller remove what was made.
        if (files.failures > 0)
            ReportIncomplete(dialog, files);
        else
            CompleteInstallation(dialog, logPath, files.nextIndex);
    }
    dialog.End();
    return 0;
}
