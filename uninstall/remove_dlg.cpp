#include "remove_dlg.h"

#include "uninstall_res.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 50;

}  // namespace

BEGIN_MESSAGE_MAP(CRemoveDlg, CDialog)
    { WM_TIMER, 0, 0, AFX_VV(OnTimer) },
END_MESSAGE_MAP()

CRemoveDlg::CRemoveDlg(LPCSTR product, int total, const std::atomic<int>& done, HANDLE hWorker)
    : CDialog(IDD_REMOVING), m_strProduct(product), m_nTotal(total), m_done(done), m_hWorker(hWorker)
{
}

void CRemoveDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_REMOVING_BAR, m_bar);
}

BOOL CRemoveDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_UNINSTALL)), TRUE);
    CString caption;
    caption.Format(IDS_REMOVING_PRODUCT, static_cast<LPCSTR>(m_strProduct));
    SetWindowText(caption);
    // The 32-bit range: a log may list more than 65535 entries.
    m_bar.SendMessage(PBM_SETRANGE32, 0, m_nTotal);
    m_bar.SetPos(m_done.load());
    // A removal that ended while the dialog was being made ends it before it is ever shown.
    if (WaitForSingleObject(m_hWorker, 0) == WAIT_OBJECT_0) {
        EndDialog(IDOK);
        return TRUE;
    }
    ::SetTimer(m_hWnd, kTimerId, kTimerMs, nullptr);
    return TRUE;
}

void CRemoveDlg::OnTimer()
{
    m_bar.SetPos(m_done.load());
    if (WaitForSingleObject(m_hWorker, 0) == WAIT_OBJECT_0) {
        ::KillTimer(m_hWnd, kTimerId);
        EndDialog(IDOK);
    }
}
