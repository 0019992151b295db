#include "finish_dlg.h"

#include "app_icon.h"
#include "fit_text.h"
#include "launch_program.h"
#include "resource.h"
#include "setup_files.h"

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
    // The product's name is the vendor's: the texts that hold it grow to it, and the dialog with them.
    if (GrowTextsToFit(m_hWnd)) CenterWindow();
    CheckDlgButton(IDC_LAUNCH, BST_CHECKED);
    SetForegroundWindow();
    return TRUE;
}

void CFinishDlg::OnOK()
{
    ShowWindow(SW_HIDE);  // gone before the program's window appears
    if (IsDlgButtonChecked(IDC_LAUNCH)) {
        LaunchProgram(m_strLaunchDir, m_strLaunch.Mid(m_strLaunchDir.GetLength() + 1));
    }
    CDialog::OnOK();
}
