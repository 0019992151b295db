#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "afxwin.h"
#include "install_worker.h"

// The progress dialog. It prepares the destination, starts the install worker with itself as the
// worker's parameter, and stands on the screen while the worker installs: the worker notes the
// file under way and each entry done, the dialog shows them at the screen's pace, and at last the
// worker ends the dialog's modal run with a posted WM_QUIT. The dialog's own one action is Cancel,
// which holds the worker, asks the user and raises the cancel flag.
class CExtractDlg : public CDialog, public InstallWindow {
public:
    explicit CExtractDlg(CWnd* pParent = nullptr);
    // Waits for the worker's thread to end (it has posted its quit message by then and only has
    // to return), then deletes its thread object.
    ~CExtractDlg() override;

    // Stores the destination (exactly as given) and runs the dialog until the worker ends it.
    void RunExtraction(LPCSTR destDir, const SetupStamp* stamp);

    // What the worker does with the dialog, from the worker's thread. ShowFile and Step only note
    // the progress, at no cost to the worker: the dialog's thread shows it from a timer, at most
    // kShowEveryMs late, and shows nothing new while the Cancel question is open. Pause is where
    // the worker holds still while the question is open; the other three are carried out by the
    // dialog's thread, after it has shown the latest progress, and wait while the question is open.
    const CString& GetDestination() const override { return m_strDestDir; }
    const std::vector<std::string>& GetEarlierEntries() const override { return m_earlier; }
    const SetupStamp* GetStamp() const override { return m_pStamp; }
    bool IsCancelled() const override { return m_bCancel.load(); }
    void ShowFile(LPCSTR path) override;  // the file label
    void Step() override;                 // the bar
    void Pause() override;  // returns at once unless the question is open, else once it is answered
    int ShowMessage(LPCSTR text, LPCSTR caption, UINT type) override;  // owned by the dialog
    void Finish(const CString& launch) override;  // hides this dialog, runs the finish dialog
    void End() override;  // WM_QUIT for the dialog's modal loop

    // Kept (not deleted when the worker returns) until the dialog object goes, so that a Cancel
    // in the worker's last moment never meets a freed object.
    CWinThread* m_pWorkerThread = nullptr;
    std::atomic<bool> m_bCancel{false};  // one writer (the dialog's thread), one reader (the worker)
    CString m_strDestDir;                // written before the worker starts, then only read
    std::vector<std::string> m_earlier;  // the same: the earlier installation's entries
    const SetupStamp* m_pStamp = nullptr;  // the same: the package's stamp, if any
    CProgressCtrl m_progress;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter reaches the dialog as IDOK whenever the focus is not on a push button; ending the
    // modal run then would destroy the dialog under the running worker. So IDOK does nothing.
    void OnOK() override {}
    void OnCancel() override;

    // Starts InstallWorker on its own thread (with this dialog as its window), the thread object
    // kept; null when it cannot start.
    virtual CWinThread* BeginWorker();

private:
    enum WorkerRequest : WPARAM { kReady, kHide, kEnd };
    static constexpr UINT kShowEveryMs = 50;  // three frames at 60 per second
    static constexpr UINT_PTR kShowTimer = 1;

    // Has the dialog's thread carry out `request`, waiting while the question is open.
    void Request(WorkerRequest request);
    LRESULT OnWorkerRequest(WPARAM request, LPARAM);
    void OnTimer(UINT_PTR nIDEvent);
    // The dialog's thread: the label and the bar as the worker last noted them.
    void ShowProgress();

    // The dialog's thread only: the Cancel question is on the screen; the worker has asked to end;
    // the steps that the bar shows.
    bool m_bAsking = false;
    bool m_bEnded = false;
    int m_nStepsShown = 0;
    // What the worker noted: the file under way (with whether the label shows it yet), under the
    // lock; the entries done.
    CRITICAL_SECTION m_csNoted;
    CString m_strNotedFile;
    bool m_bNotedFileShown = true;
    std::atomic<int> m_nNotedSteps{0};
    // Raised while the Cancel question is open, so that the worker's Pause costs nothing else;
    // with it a manual-reset event, signalled except while the question is open.
    std::atomic<bool> m_bHold{false};
    HANDLE m_hGoOn;

    DECLARE_MESSAGE_MAP()
};

static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free,
              "the cancel flag is a one-byte atomic");
