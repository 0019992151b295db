#include "dialog_driver.h"

#include <thread>

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return done();
        Sleep(10);
    }
    return true;
}

HWND WaitForDialog(DWORD threadId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] {
        EnumThreadWindows(threadId, [](HWND hWnd, LPARAM lParam) -> BOOL {
            char cls[16] = "";
            GetClassNameA(hWnd, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(hWnd)) return TRUE;
            *reinterpret_cast<HWND*>(lParam) = hWnd;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
    }, timeoutMs);
    return found;
}

std::string WindowText(HWND hWnd)
{
    int length = GetWindowTextLengthA(hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hWnd, &text[0], length + 1)));
    return text;
}

DrivenRun RunDriven(const std::function<INT_PTR()>& modal, const std::function<void(HWND)>& drive)
{
    DrivenRun run;
    DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND hWnd = WaitForDialog(uiThread);
        if (!hWnd) {
            PostThreadMessageA(uiThread, WM_QUIT, 0, 0);  // in case the run is stuck without a window
            return;
        }
        run.hWnd = hWnd;
        run.bFound = true;
        drive(hWnd);
        run.bEnded = WaitUntil([&] { return !IsWindow(hWnd); });
        if (!run.bEnded) PostMessageA(hWnd, WM_QUIT, 0, 0);
    });
    run.result = modal();
    driver.join();
    return run;
}
