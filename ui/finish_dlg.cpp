#include "finish_dlg.h"

#include "app_icon.h"
#include "fit_text.h"
#include "launch_program.h"
#include "resource.h"
#include "setup_files.h"

namespace {

// The dialog's picture: its one bitmap static (its template gives it no id of its own).
HWND FindPicture(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(CFinishDlg, CDialog)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
END_MESSAGE_MAP()

CFinishDlg::CFinishDlg(CWnd* pParent) : CDialog(IDD_FINISH, pParent) {}

void CFinishDlg::SetLaunch(const CString& dir, const CString& value)
{
    m_strLaunchDir = dir;
    m_strLaunch = dir + "\\" + value;
}

BOOL CFinishDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetAppIcon(*this);
    SetWindowText(ReadScript(Script::kTitle));
    // Away from 96 dpi the picture is scaled with the dialog.
    m_picture.Attach(m_hWnd, FindPicture(m_hWnd),
                     static_cast<HBITMAP>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_FINISH), IMAGE_BITMAP,
                                                     0, 0, LR_CREATEDIBSECTION)));
    const UINT dpi = GetWindowDpi(m_hWnd);
    if (dpi != 96) m_picture.ShowAt(dpi);
    // The product's name is the vendor's: the texts that hold it grow to it, and the dialog with them.
    if (GrowTextsToFit(m_hWnd)) CenterWindow();
    CheckDlgButton(IDC_LAUNCH, BST_CHECKED);
    SetForegroundWindow();
    return TRUE;
}

LRESULT CFinishDlg::OnDpiChanged(WPARAM wParam, LPARAM)
{
    const LRESULT result = Default();
    m_picture.ShowAt(HIWORD(wParam));
    return result;
}

void CFinishDlg::OnOK()
{
    ShowWindow(SW_HIDE);  // gone before the program's window appears
    if (IsDlgButtonChecked(IDC_LAUNCH)) {
        LaunchProgram(m_strLaunchDir, m_strLaunch.Mid(m_strLaunchDir.GetLength() + 1));
    }
    CDialog::OnOK();
}
