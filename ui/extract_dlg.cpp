#include "extract_dlg.h"

#include "app_icon.h"
#include "destination.h"
#include "module_dir.h"
#include "install_worker.h"
#include "resource.h"
#include "setup_files.h"

namespace {

// Sent by the worker: wParam a WorkerRequest, lParam its argument. The result is kDone when the
// dialog's thread carried the request out, 0 when it refused it because the question is open.
constexpr UINT WM_WORKER_REQUEST = WM_APP + 1;
constexpr LRESULT kDone = 1;

}  // namespace

BEGIN_MESSAGE_MAP(CExtractDlg, CDialog)
    { WM_WORKER_REQUEST, 0, 0,
      [](CCmdTarget* p) -> LRESULT { return static_cast<ThisClass*>(p)->OnWorkerRequest(); } },
END_MESSAGE_MAP()

CExtractDlg::CExtractDlg(CWnd* pParent)
    : CDialog(IDD_EXTRACT, pParent), m_hGoOn(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
}

CExtractDlg::~CExtractDlg()
{
    if (m_pWorkerThread != nullptr) {
        WaitForSingleObject(m_pWorkerThread->m_hThread, INFINITE);
        delete m_pWorkerThread;
    }
    CloseHandle(m_hGoOn);
}

void CExtractDlg::RunExtraction(LPCSTR destDir)
{
    m_strDestDir = destDir;
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
    CopyLogTemplate(GetModuleDirectory() + SetupFile::kLog, m_strDestDir + "\\" + SetupFile::kLog);

    // The range's upper end is a 16-bit word: "totalfiles" modulo 65536.
    int total = ReadScript(Script::kTotalFiles);
    m_progress.SetRange(0, static_cast<short>(static_cast<WORD>(total)));
    m_progress.SetPos(0);
    m_progress.SetStep(1);

    m_bCancel = false;
    m_pWorkerThread = BeginWorker();
    // Without a worker nothing would ever post the quit message, and Cancel never closes.
    if (m_pWorkerThread == nullptr) EndDialog(IDABORT);
    return TRUE;
}

CWinThread* CExtractDlg::BeginWorker()
{
    // Started suspended so that automatic deletion is off before the worker can end.
    CWinThread* pThread = AfxBeginThread(InstallWorker, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
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
    // that the question needs): it pauses at its next request to this thread, which is refused
    // while m_bAsking is set, and waits for the event.
    m_bAsking = true;
    ResetEvent(m_hGoOn);
    int answer = MessageBox("Cancel setup?", "setup", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDYES) m_bCancel = true;
    m_bAsking = false;
    SetEvent(m_hGoOn);
}

void CExtractDlg::Request(WorkerRequest request, LPARAM arg)
{
    // The question's message loop still delivers sent messages to this dialog, so waiting for
    // the event before sending would not be enough: the question could open between the two.
    // The dialog's thread itself decides, and refuses while the question is open.
    while (SendMessage(WM_WORKER_REQUEST, request, arg) != kDone) {
        if (!::IsWindow(m_hWnd)) return;
        WaitForSingleObject(m_hGoOn, INFINITE);
    }
}

LRESULT CExtractDlg::OnWorkerRequest()
{
    if (m_bAsking) return 0;
    switch (static_cast<WorkerRequest>(m_msgCur.wParam)) {
    case kReady:
        break;
    case kShowFile:
        SetDlgItemText(IDC_DEST_FILE, reinterpret_cast<LPCSTR>(m_msgCur.lParam));
        break;
    case kStep:
        m_progress.StepIt();
        break;
    case kHide:
        ShowWindow(SW_HIDE);
        break;
    case kEnd:
        m_bEnded = true;
        PostMessage(WM_QUIT, 0, 0);
        break;
    }
    return kDone;
}

void CExtractDlg::ShowFile(LPCSTR path)
{
    Request(kShowFile, reinterpret_cast<LPARAM>(path));
}

void CExtractDlg::Step()
{
    Request(kStep);
}

int CExtractDlg::ShowMessage(LPCSTR text, LPCSTR caption, UINT type)
{
    // The box is the worker's own window (owned by the dialog); it waits only for an open question.
    Pause();
    return MessageBox(text, caption, type);
}

void CExtractDlg::Pause()
{
    Request(kReady);
}

void CExtractDlg::Hide()
{
    Request(kHide);
}

void CExtractDlg::End()
{
    Request(kEnd);
}
