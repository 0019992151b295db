#pragma once

#include "afxwin.h"
#include "dpi_picture.h"

// The last window of an installation that ran to its end: tells the user the product is installed
// and, when its check box stays checked, starts the installed program on Finish.
class CFinishDlg : public CDialog {
public:
    explicit CFinishDlg(CWnd* pParent = nullptr);

    // Sets the program to start: the destination directory and the script's launch value.
    void SetLaunch(const CString& dir, const CString& value);

    // The command line of the program to start: the directory, "\" and the launch value.
    CString m_strLaunch;
    // The directory part of it, which is never split at its spaces when the program starts.
    CString m_strLaunchDir;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CDpiPicture m_picture;  // shown by the template at 96 dpi, by this at any other scale
};
