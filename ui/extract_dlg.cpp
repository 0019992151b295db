#include "extract_dlg.h"

#include <commctrl.h>

#include "app_icon.h"
#include "install_worker.h"
#include "module_dir.h"
#include "resource.h"
#include "setup_files.h"

CExtractDlg::CExtractDlg(CWnd* pParent)
    : CDialog(IDD_EXTRACT, pParent), m_hGoOn(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
}

CExtractDlg::~CExtractDlg()
{
    // The worker's thread object is kept (not auto-deleted) until the modal run is over, so that
    // a Cancel in the worker's last moment never touches a freed object.
    delete m_pWorkerThread;
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

    // Only the last component is created; the results are not checked (an existing folder is
    // fine, and a failure shows entry by entry).
    CreateDirectoryA(m_strDestDir, nullptr);
    CopyFileA(GetModuleDirectory() + SetupFile::kLog, m_strDestDir + "\\" + SetupFile::kLog, FALSE);

    // The range's upper end is a 16-bit word: "totalfiles" modulo 65536.
    int total = ReadScript(Script::kTotalFiles);
    m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(total)));
    m_progress.SendMessage(PBM_SETPOS, 0, 0);
    m_progress.SendMessage(PBM_SETSTEP, 1, 0);

    m_bCancel = false;
    // Started suspended so that the thread object can be kept before the worker may end.
    m_pWorkerThread = AfxBeginThread(InstallWorker, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (m_pWorkerThread == nullptr) {
        // Nothing would ever end the modal run.
        EndDialog(IDABORT);
        return TRUE;
    }
    m_pWorkerThread->m_bAutoDelete = FALSE;
    m_pWorkerThread->ResumeThread();
    return TRUE;
}

void CExtractDlg::OnCancel()
{
    // The worker pauses at its next safe point rather than being suspended wherever it is: a
    // thread stopped at an arbitrary point could hold a lock (the heap's) that the question needs.
    ResetEvent(m_hGoOn);
    int answer = MessageBox("Cancel setup?", "setup", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDYES) m_bCancel = true;
    SetEvent(m_hGoOn);
}

void CExtractDlg::WaitWhileAsking() const
{
    WaitForSingleObject(m_hGoOn, INFINITE);
}

void CExtractDlg::ShowFile(LPCSTR path)
{
    WaitWhileAsking();
    SetDlgItemText(IDC_DEST_FILE, path);
}

void CExtractDlg::Step()
{
    WaitWhileAsking();
    m_progress.SendMessage(PBM_STEPIT, 0, 0);
}

int CExtractDlg::ShowMessage(LPCSTR text, LPCSTR caption, UINT type)
{
    WaitWhileAsking();
    return MessageBox(text, caption, type);
}

void CExtractDlg::Hide()
{
    WaitWhileAsking();
    ShowWindow(SW_HIDE);
}

void CExtractDlg::End()
{
    WaitWhileAsking();
    PostMessage(WM_QUIT, 0, 0);
}
