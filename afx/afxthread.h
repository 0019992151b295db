// Worker threads that may use the C runtime.
#pragma once

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID);

// One thread started by AfxBeginThread.
//
// Life of the object and of its handle: the object owns m_hThread and closes it when it is
// deleted. With m_bAutoDelete TRUE (the default) the object deletes itself as soon as the thread
// procedure returns, so the starter must not touch the object, nor use m_hThread, once the thread
// may have finished. To wait for the thread or read its exit code, start it with CREATE_SUSPENDED,
// clear m_bAutoDelete, call ResumeThread, and delete the object when done with it.
class CWinThread {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
        : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // The thread's former suspend count, or (DWORD)-1 on failure.
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    HANDLE m_hThread = nullptr;
    UINT m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall ThreadEntry(void* pThread);
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts `pfnThreadProc(pParam)` on a new thread; the procedure's result is the thread's exit code.
// With CREATE_SUSPENDED in `dwCreateFlags` the thread waits for ResumeThread. Returns null when
// the thread cannot be created.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
