// AfxBeginThread and the life of its thread object.
#include "afxwin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// This program's operator delete notes when one watched object is freed, so a test can see the
// thread object delete itself.
namespace {
std::atomic<void*> g_watched{nullptr};
std::atomic<bool> g_watchedDeleted{false};
}  // namespace

void operator delete(void* p) noexcept
{
    if (p && p == g_watched.load()) g_watchedDeleted = true;
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    ::operator delete(p);
}

namespace {

void Watch(void* p)
{
    g_watchedDeleted = false;
    g_watched = p;
}

struct Job {
    std::atomic<int> runs{0};
    std::atomic<DWORD> threadId{0};
    HANDLE hGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);   // the job may return
    HANDLE hDone = CreateEventA(nullptr, TRUE, FALSE, nullptr); // the job has run
    ~Job() { CloseHandle(hGo); CloseHandle(hDone); }
};

UINT RunJob(LPVOID param)
{
    auto* job = static_cast<Job*>(param);
    ++job->runs;
    job->threadId = GetCurrentThreadId();
    WaitForSingleObject(job->hGo, 10000);
    SetEvent(job->hDone);
    return 42;
}

TEST(Thread, RunsTheProcedureWithItsParameterAndDeletesItself)
{
    Job job;
    CWinThread* pThread = AfxBeginThread(RunJob, &job);
    ASSERT_NE(nullptr, pThread);
    // The procedure waits for hGo, so the object is still alive here.
    Watch(pThread);
    DWORD id = pThread->m_nThreadID;
    HANDLE hThread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), pThread->m_hThread, GetCurrentProcess(), &hThread,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(hThread));
    SetEvent(job.hGo);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hThread, 10000));
    DWORD code = 0;
    GetExitCodeThread(hThread, &code);
    CloseHandle(hThread);
    EXPECT_EQ(1, job.runs);
    EXPECT_EQ(id, job.threadId.load());
    EXPECT_EQ(42u, code);
    EXPECT_TRUE(g_watchedDeleted);
}

TEST(Thread, SuspendedStartLetsTheCallerKeepTheObject)
{
    Job job;
    CWinThread* pThread = AfxBeginThread(RunJob, &job, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, pThread);
    Watch(pThread);
    pThread->m_bAutoDelete = FALSE;
    Sleep(50);
    EXPECT_EQ(0, job.runs) << "a suspended thread ran";
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(pThread->m_hThread));
    EXPECT_EQ(1u, pThread->ResumeThread());

    // Suspended while it waits, it does not finish even when allowed to.
    EXPECT_EQ(0u, pThread->SuspendThread());
    SetEvent(job.hGo);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(job.hDone, 100));
    EXPECT_EQ(1u, pThread->ResumeThread());

    // The handle stays valid after the thread has ended, until the caller deletes the object.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pThread->m_hThread, 10000));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(pThread->m_hThread, &code));
    EXPECT_EQ(42u, code);
    EXPECT_EQ(1, job.runs);
    EXPECT_FALSE(g_watchedDeleted);
    delete pThread;
    EXPECT_TRUE(g_watchedDeleted);
}

}  // namespace
