// CDialog: a modal dialog built from a dialog template; data exchange between controls and members.
#pragma once

#include "afxwnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // Marks the exchange as failed; UpdateData then returns FALSE. There are no exceptions: the
    // exchange runs to its end and the caller looks at the result.
    void Fail() { m_bFailed = TRUE; }

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;
};

// Binds `rControl` to the dialog's control `nIDC` (in both directions; the handle is taken anew).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Copies the text of control `nIDC` into `value`, or `value` into the control.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    // Runs the dialog on the calling thread until EndDialog or a WM_QUIT ends it, then destroys
    // its window. Returns the EndDialog result; -1 when the window could not be created or when a
    // quit message ended the run. A quit message is posted again (same exit code) so that the
    // caller's own loop sees it too.
    virtual INT_PTR DoModal();

    // Ends the modal run with `nResult` as DoModal's result, once the current message is handled.
    void EndDialog(int nResult);

    // Runs DoDataExchange in one direction; FALSE when the exchange failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Centres the window on its screen's work area, never above or left of it. A dialog that
    // OnInitDialog did not move or size is centred so anyway.
    void CenterWindow();

protected:
    // Called while the window is being created: fills the controls (UpdateData(FALSE)). TRUE
    // leaves the focus to the dialog manager (the first tab stop).
    virtual BOOL OnInitDialog();
    // IDOK (the OK button, Enter): ends with IDOK once the data exchange has succeeded.
    virtual void OnOK();
    // IDCANCEL (the Cancel button, Escape, the close box): ends with IDCANCEL.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    // In a dialog the default processing is the dialog manager's: the handler's message goes back
    // to it as not handled (the dialog procedure returns FALSE), whatever the handler returns.
    LRESULT Default() override;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    INT_PTR m_nModalResult = -1;
    bool m_bDefaultAsked = false;  // the handler under way called Default()
};
