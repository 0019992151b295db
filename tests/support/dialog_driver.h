// Drives a modal dialog from a second thread, as a user would: the test thread runs the modal
// loop, the driver finds the dialog's window and works its controls by handle and id.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Polls `done` every 10 ms until it holds or `timeoutMs` has passed; its last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The first visible dialog window (class "#32770") of thread `threadId`, waiting up to
// `timeoutMs` for one to appear; null when none did.
HWND WaitForDialog(DWORD threadId, DWORD timeoutMs = 10000);

// The text of a window or control (read through WM_GETTEXT, so any thread of the process may ask).
std::string WindowText(HWND hWnd);

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
