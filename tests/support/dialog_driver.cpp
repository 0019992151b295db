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


namespace {

struct Search {
    const std::function<bool(HWND)>* match;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param)
{
    Search& s = *reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    // The match is asked last: it may send messages, to the dialogs of the process sought only.
    if ((s.pid == kAnyProcess || pid == s.pid) && IsWindowVisible(hwnd) && lstrcmpA(cls, "#32770") == 0 && (*s.match)(hwnd)) {
        s.found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForMatch(const std::function<bool(HWND)>& match, DWORD pid, DWORD timeoutMs)
{
    HWND found = nullptr;
    if (!WaitUntil([&] { return (found = FindDialogWhere(match, pid)) != nullptr; }, timeoutMs))
        return nullptr;
    Sleep(100);  // let its initialisation finish
    return found;
}

}  // namespace

HWND FindDialogWhere(const std::function<bool(HWND)>& match, DWORD pid)
{
    Search s{&match, pid, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindDialogNow(const std::string& caption, DWORD pid)
{
    return FindDialogWhere([&](HWND hwnd) { return WindowText(hwnd) == caption; }, pid);
}

HWND WaitForDialog(const std::string& caption, DWORD pid, DWORD timeoutMs)
{
    return WaitForMatch([&](HWND hwnd) { return WindowText(hwnd) == caption; }, pid, timeoutMs);
}

HWND WaitForDialogWithControl(int id, DWORD pid, DWORD timeoutMs)
{
    return WaitForMatch([&](HWND hwnd) { return GetDlgItem(hwnd, id) != nullptr; }, pid, timeoutMs);
}

bool WaitUntilGone(HWND hwnd, DWORD timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, timeoutMs);
}

std::string WindowText(HWND hwnd)
{
    // WM_GETTEXT rather than GetWindowText: it reads a control of another process too.
    char text[1024] = "";
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::string ControlText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string MessageBoxText(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
            std::string text = WindowText(child);
            if (!text.empty()) return text;
        }
    }
    return std::string();
}

HICON MessageBoxIcon(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
            DWORD_PTR icon = 0;
            SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
            return reinterpret_cast<HICON>(icon);
        }
    }
    return nullptr;
}

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PressCloseBox(HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PressEscape(HWND dialog)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}
