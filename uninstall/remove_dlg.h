#pragma once

#include <atomic>

#include "afxwin.h"

// The removal's progress dialog: a bar over the log's entries, moved on by a timer from the count
// that the removal keeps on its own thread; it ends itself once that thread has ended. It takes no
// command: no Cancel, and Enter, Escape and the close box do nothing.
class CRemoveDlg : public CDialog {
public:
    CRemoveDlg(LPCSTR product, int total, const std::atomic<int>& done, HANDLE hWorker);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnTimer();

private:
    CString m_strProduct;
    int m_nTotal;
    const std::atomic<int>& m_done;
    HANDLE m_hWorker;
    CProgressCtrl m_bar;

    DECLARE_MESSAGE_MAP()
};
