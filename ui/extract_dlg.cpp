#include "extract_dlg.h"

#include "app_icon.h"
#include "destination.h"
#include "module_dir.h"
#include "finish_dlg.h"
#include "install_record.h"
#include "product_entry.h"
#include "resource.h"
#include "setup_check.h"
#include "setup_files.h"

namespace {

// Sent by the worker: wParam a WorkerRequest, lParam its argument. The result is kDone when the
// dialog's thread carried the request out, 0 when it refused it because the question is open.
constexpr UINT WM_WORKER_REQUEST = WM_APP + 1;
constexpr LRESULT kDone = 1;

}  // namespace

BEGIN_MESSAGE_MAP(CExtractDlg, CDialog)
    ON_MESSAGE(WM_WORKER_REQUEST, OnWorkerRequest)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CExtractDlg::CExtractDlg(CWnd* pParent)
    : CDialog(IDD_EXTRACT, pParent), m_hGoOn(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
    InitializeCriticalSection(&m_csNoted);
}

CExtractDlg::~CExtractDlg()
{
    if (m_pWorkerThread != nullptr) {
        WaitForSingleObject(m_pWorkerThread->m_hThread, INFINITE);
        delete m_pWorkerThread;
    }
    CloseHandle(m_hGoOn);
    DeleteCriticalSection(&m_csNoted);
}

void CExtractDlg::RunExtraction(LPCSTR destDir, const SetupStamp* stamp)
{
    m_strDestDir = destDir;
    m_pStamp = stamp;
    DoModal();
}

void CExtractDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

BOOL CExtractDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetAppIcon(*this);

    CreateFolderPath(m_strDestDir);
    // A package that ships the uninstaller is listed in Apps & features; its entry is logged now.
    const CString entryKey = ReadScript(Script::kUninstaller).IsEmpty() ? CString() : ProductEntryKey();
    // A template that the installer's stamp lists as absent is not copied, whatever appeared since.
    const CString logTemplate = IsStampedAbsent(SetupFile::kLog) ? CString() : GetModuleDirectory() + SetupFile::kLog;
    PrepareLog(logTemplate, m_strDestDir + "\\" + SetupFile::kLog, entryKey, m_earlier);

    // The range's upper end is a 16-bit word: "totalfiles" modulo 65536.
    int total = ReadScript(Script::kTotalFiles);
    m_progress.SetRange(0, static_cast<short>(static_cast<WORD>(total)));
    m_progress.SetPos(0);
    m_progress.SetStep(1);

    m_bCancel = false;
    // Thousands of entries a second need no more than a few dozen pictures: the worker only notes
    // its progress, and this thread shows it on a timer.
    ::SetTimer(m_hWnd, kShowTimer, kShowEveryMs, nullptr);
    m_pWorkerThread = BeginWorker();
    // Without a worker nothing would ever post the quit message, and Cancel never closes.
    if (m_pWorkerThread == nullptr) EndDialog(IDABORT);
    return TRUE;
}

CWinThread* CExtractDlg::BeginWorker()
{
    // Started suspended so that automatic deletion is off before the worker can end.
    // The worker's parameter is this dialog as its InstallWindow, which is not where the dialog
    // object itself begins.
    CWinThread* pThread = AfxBeginThread(InstallWorker, static_cast<InstallWindow*>(this),
                                         THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (pThread != nullptr) {
        pThread->m_bAutoDelete = FALSE;
        pThread->ResumeThread();
    }
    return pThread;
}

void CExtractDlg::OnCancel()
{
    // A Cancel posted while the question is open comes through the question's own loop: it asks
    // nothing more. Once the worker has asked to end, there is nothing left to cancel.
    if (m_bAsking || m_bEnded) return;

    // The worker is not suspended wherever it happens to be (it could hold a lock, the heap's,
    // that the question needs): it holds still at its next Pause, or at its next request to this
    // thread, which is refused while m_bAsking is set; either waits for the event. Raised before
    // the progress is shown, so that the worker finishes at most the entry after the one shown.
    m_bAsking = true;
    m_bHold = true;
    ResetEvent(m_hGoOn);
    ShowProgress();
    int answer = MessageBox(ResourceText(IDS_CANCEL_SETUP), ResourceText(IDS_CAPTION), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDYES) m_bCancel = true;
    m_bAsking = false;
    m_bHold = false;
    SetEvent(m_hGoOn);
}

void CExtractDlg::ShowProgress()
{
    CString file;
    bool newFile = false;
    EnterCriticalSection(&m_csNoted);
    if (!m_bNotedFileShown) {
        file = m_strNotedFile;
        m_bNotedFileShown = true;
        newFile = true;
    }
    LeaveCriticalSection(&m_csNoted);
    if (newFile) SetDlgItemText(IDC_DEST_FILE, file);
    // Step by step, so that a bar whose range is smaller than the entries starts over as it would;
    // drawn once for all of them (the bar would draw itself at every step).
    const int steps = m_nNotedSteps.load();
    if (m_nStepsShown == steps) return;
    m_progress.SendMessage(WM_SETREDRAW, FALSE);
    for (; m_nStepsShown < steps; ++m_nStepsShown) m_progress.StepIt();
    m_progress.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_progress.m_hWnd, nullptr, FALSE);
}

void CExtractDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kShowTimer && !m_bAsking && !m_bEnded) ShowProgress();
}

void CExtractDlg::Request(WorkerRequest request)
{
    // The question's message loop still delivers sent messages to this dialog, so waiting for
    // the event before sending would not be enough: the question could open between the two.
    // The dialog's thread itself decides, and refuses while the question is open.
    while (SendMessage(WM_WORKER_REQUEST, request) != kDone) {
        if (!::IsWindow(m_hWnd)) return;
        WaitForSingleObject(m_hGoOn, INFINITE);
    }
}

LRESULT CExtractDlg::OnWorkerRequest(WPARAM wParam, LPARAM)
{
    if (m_bAsking) return 0;
    // Whatever the worker does next (a message box, the finish dialog, the end), the dialog shows
    // the last file and the bar as they stand.
    ShowProgress();
    switch (static_cast<WorkerRequest>(wParam)) {
    case kReady:
        break;
    case kHide:
        ShowWindow(SW_HIDE);
        break;
    case kEnd:
        m_bEnded = true;
        ::KillTimer(m_hWnd, kShowTimer);
        PostMessage(WM_QUIT, 0, 0);
        break;
    }
    return kDone;
}

void CExtractDlg::ShowFile(LPCSTR path)
{
    EnterCriticalSection(&m_csNoted);
    m_strNotedFile = path;
    m_bNotedFileShown = false;
    LeaveCriticalSection(&m_csNoted);
}

void CExtractDlg::Step()
{
    ++m_nNotedSteps;
}

void CExtractDlg::Pause()
{
    // Raised a moment before the event is reset: a worker that passes here in between finishes
    // one more entry, which the question does not show.
    if (m_bHold.load()) WaitForSingleObject(m_hGoOn, INFINITE);
}

int CExtractDlg::ShowMessage(LPCSTR text, LPCSTR caption, UINT type)
{
    // The box is the worker's own window (owned by the dialog); it waits only for an open question.
    Request(kReady);
    return MessageBox(text, caption, type);
}

void CExtractDlg::Finish(const CString& launch)
{
    Request(kHide);
    CFinishDlg finish;
    finish.SetLaunch(m_strDestDir, launch);
    finish.DoModal();
}

void CExtractDlg::End()
{
    Request(kEnd);
}
