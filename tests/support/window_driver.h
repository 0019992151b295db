// Driving real windows from a test: finding a program's dialogs, reading and setting control
// texts, pressing buttons, answering message boxes. Every wait has a timeout, so that a window
// that never comes fails a test instead of hanging the run.
#pragma once

#include <windows.h>

#include <string>

constexpr DWORD kWindowTimeoutMs = 15000;

// A visible top-level dialog (class "#32770") of process `pid` whose caption is `caption`, as soon
// as one exists; nullptr when none appeared within the timeout.
HWND WaitForDialog(const std::string& caption, DWORD pid = GetCurrentProcessId(),
                   DWORD timeoutMs = kWindowTimeoutMs);
// Whether `hwnd` is gone (destroyed or hidden) within the timeout.
bool WaitUntilGone(HWND hwnd, DWORD timeoutMs = kWindowTimeoutMs);
// Whether a visible dialog with that caption appears within `ms` (for checking that none does).
bool DialogAppearsWithin(const std::string& caption, DWORD ms, DWORD pid = GetCurrentProcessId());

std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// The message of a message box: the text of its static control that is not its icon.
std::string MessageBoxText(HWND box);

// Presses a push button (or check box) as a click would: the dialog gets its WM_COMMAND.
void PressButton(HWND dialog, int id);
// Closes the window with its close box.
void PressCloseBox(HWND window);
