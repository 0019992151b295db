#include "afxdlg.h"

#include "afxapp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    rControl.m_hWnd = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!rControl.m_hWnd) pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->GetDlgItemText(nIDC, value);
    } else {
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
    }
}

INT_PTR CDialog::DoModal()
{
    // The dialog manager's modal loop ends the run on WM_QUIT and posts the quit message again,
    // whichever window it was posted to. A run ended that way never passes through EndDialog, so
    // the result stays -1.
    m_nModalResult = -1;
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent, DialogProc,
                      reinterpret_cast<LPARAM>(this));
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* pDlg;
    if (message == WM_INITDIALOG) {
        pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->m_hWnd = hWnd;
    } else {
        pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    // Nothing is ours before WM_INITDIALOG (WM_SETFONT comes first) or after WM_NCDESTROY.
    if (!pDlg) return FALSE;

    // Handlers can send messages to their own window; each level keeps its own current message.
    MSG saved = pDlg->m_msgCur;
    bool savedDefault = pDlg->m_bDefaultAsked;
    pDlg->m_msgCur = MSG{ hWnd, message, wParam, lParam, 0, {} };
    pDlg->m_bDefaultAsked = false;
    INT_PTR result = FALSE;
    // Nothing a handler throws (a failed allocation) may unwind through the system's code that
    // called this procedure: the message is left to the dialog manager instead.
    try {
        result = pDlg->HandleMessage(message, wParam, lParam);
    } catch (...) {
        result = FALSE;
    }
    pDlg->m_msgCur = saved;
    pDlg->m_bDefaultAsked = savedDefault;
    return result;
}

LRESULT CDialog::Default()
{
    if (m_msgCur.hwnd) m_bDefaultAsked = true;
    return 0;
}

namespace {

// The messages whose result a dialog procedure returns itself (a brush, an order, an index, a
// cursor, the focus flag); for all others its return value only says "handled" and the result
// travels in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = m_hWnd;
    UINT nID = 0;
    UINT nCode = 0;
    switch (message) {
    case WM_INITDIALOG: {
        // A dialog that OnInitDialog did not place is centred on its screen's work area.
        RECT before, after;
        ::GetWindowRect(hWnd, &before);
        BOOL bDefaultFocus = OnInitDialog();
        if (::IsWindow(hWnd) && ::GetWindowRect(hWnd, &after) && ::EqualRect(&before, &after)) CenterWindow();
        return bDefaultFocus;
    }
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        return FALSE;
    case WM_COMMAND:
        nID = LOWORD(wParam);
        nCode = HIWORD(wParam);
        break;
    }

    LRESULT result;
    if (!DispatchToMap(message, nID, nCode, wParam, lParam, &result)) return FALSE;
    if (m_bDefaultAsked) return FALSE;  // the dialog manager's default after all
    if (ReturnsResultDirectly(message)) return result;
    if (::IsWindow(hWnd)) ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void CDialog::CenterWindow()
{
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    MONITORINFO mi = { sizeof mi, {}, {}, 0 };
    if (!::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi)) return;
    const RECT& area = mi.rcWork;
    // Never above or left of the work area, so the caption stays reachable.
    int x = area.left + ((area.right - area.left) - (rc.right - rc.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (rc.bottom - rc.top)) / 2;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
