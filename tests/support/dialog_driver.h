// Drives real dialogs from a test, as a user would: a modal dialog run on the test thread while
// a second thread works its controls by handle and id, or the windows of another process. Every
// wait has a timeout, so that a window that never comes fails a test instead of hanging the run.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Polls `done` every 10 ms until it holds or `timeoutMs` has passed; its last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The first visible dialog window (class "#32770") of thread `threadId`, waiting up to
// `timeoutMs` for one to appear; null when none did.
HWND WaitForDialog(DWORD threadId, DWORD timeoutMs = 10000);

struct DrivenRun {
    INT_PTR result = 0;       // what `modal` returned
    bool bFound = false;      // the dialog appeared and `drive` ran
    bool bEnded = false;      // the dialog ended by itself after `drive` returned
    HWND hWnd = nullptr;      // the dialog's window (no longer valid afterwards)
};

// Runs `modal` (a DoModal call, say) on the calling thread while `drive` runs on a second thread
// with the dialog's window once it is visible. A dialog still open 10 s after `drive` returned
// is ended by a posted WM_QUIT (bEnded false), so a failing test fails instead of hanging.
DrivenRun RunDriven(const std::function<INT_PTR()>& modal, const std::function<void(HWND)>& drive);

// Finding a program's dialogs by caption, reading and setting control texts, pressing buttons,
// answering message boxes, also in another process.
constexpr DWORD kWindowTimeoutMs = 15000;

// In place of a process id: a dialog of any process (an uninstaller's end message comes from its
// copy in the temporary folder, not from the process that was started).
constexpr DWORD kAnyProcess = 0;

// A visible top-level dialog (class "#32770") of process `pid` that `match` accepts, if one exists
// now; nullptr otherwise.
HWND FindDialogWhere(const std::function<bool(HWND)>& match, DWORD pid = GetCurrentProcessId());
// The same for a dialog whose caption is `caption`.
HWND FindDialogNow(const std::string& caption, DWORD pid = GetCurrentProcessId());
// The same, as soon as one exists; nullptr when none appeared within the timeout.
HWND WaitForDialog(const std::string& caption, DWORD pid = GetCurrentProcessId(),
                   DWORD timeoutMs = kWindowTimeoutMs);
// Whether `hwnd` is gone (destroyed or hidden) within the timeout.
bool WaitUntilGone(HWND hwnd, DWORD timeoutMs = kWindowTimeoutMs);
// A visible top-level dialog of process `pid` that has a control `id`, whatever its caption (the
// shell's own dialogs); nullptr when none appeared within the timeout.
HWND WaitForDialogWithControl(int id, DWORD pid, DWORD timeoutMs = kWindowTimeoutMs);

std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// The message of a message box: the text of its static control that is not its icon.
std::string MessageBoxText(HWND box);
// The icon that a message box shows; null when it shows none.
HICON MessageBoxIcon(HWND box);

// Presses a push button (or check box) as a click would: the dialog gets its WM_COMMAND.
void PressButton(HWND dialog, int id);
// Closes the window with its close box.
void PressCloseBox(HWND window);
// Presses Escape as the keyboard would: the key goes to the control that has the focus in the
// dialog's thread, and the modal loop's dialog message handling turns it into IDCANCEL.
void PressEscape(HWND dialog);
