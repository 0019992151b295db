#include "uninstall_app.h"

#include <cstdlib>

#include "log_contents.h"
#include "module_dir.h"
#include "product_entry.h"
#include "remove_dlg.h"
#include "removal.h"
#include "removal_copy.h"
#include "setup_names.h"
#include "uninstall_res.h"

namespace {

// A removal that is over sooner shows no progress dialog: a window flashing up and away at once
// would tell the user nothing.
constexpr DWORD kQuietMs = 300;

CString LogPathIn(const CString& dest)
{
    return dest + "\\" + SetupFile::kLog;
}

int NothingToUninstall()
{
    MessageBoxA(nullptr, ResourceText(IDS_NOTHING_TO_UNINSTALL), ResourceText(IDS_NOTHING_TO_UNINSTALL_CAPTION), MB_OK | MB_ICONERROR);
    return 1;
}

struct RemovalWork {
    const CRemovalScope* scope;
    const LogContents* log;
    std::string logPath;
    std::string program;
    std::atomic<int> done{0};
    RemovalOutcome outcome;
};

UINT RemovalWorker(LPVOID param)
{
    auto* work = static_cast<RemovalWork*>(param);
    work->outcome = RemoveInstallation(*work->scope, work->log->entries, !work->log->bHasCount, work->logPath,
                                       work->program, work->done);
    return 0;
}

}  // namespace

CUninstallApp::CUninstallApp() : CWinApp(nullptr) {}

CUninstallApp theApp;

BOOL CUninstallApp::InitInstance()
{
    CopyArguments copy;
    if (ParseCopyArguments(__argc, __argv, copy)) {
        WaitForOriginal(copy.hOriginal);
        TidyRemovalCopies();
        m_nExitCode = Remove(copy.original.c_str());
    } else {
        m_nExitCode = Ask();
    }
    return FALSE;
}

int CUninstallApp::Ask()
{
    const CString program = GetModulePath();
    const CString dest = WithoutTrailingBackslash(GetModuleDirectory());
    LogContents log;
    if (!ReadLogContents(LogPathIn(dest), log)) return NothingToUninstall();

    const CString product = ShownProductName(log.product, dest);
    CString question;
    question.Format(IDS_REMOVE_QUESTION, static_cast<LPCSTR>(product), static_cast<LPCSTR>(dest));
    if (MessageBoxA(nullptr, question, product, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return 0;
    if (StartRemovalCopy(static_cast<LPCSTR>(program))) return 0;
    // Without a copy the removal runs here, and this program, with the destination that holds it,
    // stays: the end message names it.
    return Remove(program);
}

int CUninstallApp::Remove(const CString& original)
{
    const CString dest = FolderOf(original);
    LogContents log;
    if (!ReadLogContents(LogPathIn(dest), log)) return NothingToUninstall();
    const CString product = ShownProductName(log.product, dest);
    const CRemovalScope scope = CRemovalScope::ForCurrentUser(static_cast<LPCSTR>(dest));
    // While the installed uninstaller is still there to be compared with the one the entry names.
    const EntryRemoval entry = RemoveProductEntry(log.uninstallKey.c_str(), original);

    RemovalWork work;
    work.scope = &scope;
    work.log = &log;
    work.logPath = static_cast<LPCSTR>(LogPathIn(dest));
    work.program = static_cast<LPCSTR>(original);
    // Started suspended so that automatic deletion is off before the worker can end.
    CWinThread* thread = AfxBeginThread(RemovalWorker, &work, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread == nullptr) {
        RemovalWorker(&work);
    } else {
        thread->m_bAutoDelete = FALSE;
        thread->ResumeThread();
        if (WaitForSingleObject(thread->m_hThread, kQuietMs) == WAIT_TIMEOUT) {
            CRemoveDlg progress(product, static_cast<int>(log.entries.size()), work.done, thread->m_hThread);
            progress.DoModal();
        }
        WaitForSingleObject(thread->m_hThread, INFINITE);
        delete thread;
    }

    if (entry == EntryRemoval::kRefused || entry == EntryRemoval::kFailed) {
        // After every entry of the files, in the log's order.
        if (work.outcome.nLeft++ == 0) work.outcome.firstLeft = kEntryRootName + log.uninstallKey;
    }

    CString text;
    if (work.outcome.nLeft == 0) {
        text.Format(IDS_REMOVED, static_cast<LPCSTR>(product));
        MessageBoxA(nullptr, text, product, MB_OK | MB_ICONINFORMATION);
    } else {
        text.Format(IDS_REMOVED_EXCEPT, static_cast<LPCSTR>(product),
                    work.outcome.nLeft, work.outcome.firstLeft.c_str());
        MessageBoxA(nullptr, text, product, MB_OK | MB_ICONWARNING);
    }
    return 0;
}

// The framework's entry, with the exit status that the application chose.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
    return theApp.m_nExitCode;
}
