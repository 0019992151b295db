#include "afxthread.h"

#include <process.h>

CWinThread::~CWinThread()
{
    if (m_hThread) ::CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::ThreadEntry(void* pThread)
{
    auto* self = static_cast<CWinThread*>(pThread);
    UINT result = self->m_pfnThreadProc(self->m_pThreadParams);
    // Read only now: a starter that used CREATE_SUSPENDED may have cleared it before resuming.
    if (self->m_bAutoDelete) delete self;
    return result;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                           UINT nStackSize, DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    auto* pThread = new CWinThread(pfnThreadProc, pParam);
    // Always created suspended: the handle and id must be stored before the thread can run, end
    // and delete the object.
    unsigned id = 0;
    uintptr_t h = _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, pThread,
                                 CREATE_SUSPENDED, &id);
    if (!h) {
        delete pThread;
        return nullptr;
    }
    pThread->m_hThread = reinterpret_cast<HANDLE>(h);
    pThread->m_nThreadID = id;
    ::SetThreadPriority(pThread->m_hThread, nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(pThread->m_hThread);
    return pThread;
}
