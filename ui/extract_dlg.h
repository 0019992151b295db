#pragma once

#include <atomic>

#include "afxwin.h"

// The progress dialog. It prepares the destination, starts the install worker with itself as the
// worker's parameter, and stands on the screen while the worker installs: the worker shows the
// file under way, steps the bar, and at last ends the dialog's modal run with a posted WM_QUIT.
// The dialog's own one action is Cancel, which asks the user and raises the cancel flag.
class CExtractDlg : public CDialog {
public:
    explicit CExtractDlg(CWnd* pParent = nullptr);
    ~CExtractDlg() override;

    // Stores the destination (exactly as given) and runs the dialog until the worker ends it.
    void RunExtraction(LPCSTR destDir);

    // What the worker does with the dialog, from the worker's thread. Each waits first while the
    // Cancel question is open, so that the worker makes no visible progress until it is answered.
    bool IsCancelled() const { return m_bCancel.load(); }
    void ShowFile(LPCSTR path);
    void Step();
    int ShowMessage(LPCSTR text, LPCSTR caption, UINT type);
    void Hide();
    void End();  // the worker's last act: posts WM_QUIT to the dialog's window

    CWinThread* m_pWorkerThread = nullptr;
    std::atomic<bool> m_bCancel{false};  // one writer (the dialog's thread), one reader (the worker)
    CString m_strDestDir;                // written before the worker starts, then only read
    CProgressCtrl m_progress;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

private:
    // The worker's safe point: returns at once unless the Cancel question is open.
    void WaitWhileAsking() const;

    // Manual-reset event, signalled except while the Cancel question is open.
    HANDLE m_hGoOn;
};

static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free,
              "the cancel flag is a one-byte atomic");
