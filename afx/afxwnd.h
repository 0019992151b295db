// CWnd: a window handle and the window operations the dialogs use; CStatic and CProgressCtrl, thin
// wrappers of their controls; CPaintDC, a paint context for the span of a WM_PAINT handler.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "afxmsg.h"
#include "afxstr.h"

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The window, or null before it exists and after it is destroyed. A control member bound by
    // DDX_Control holds its control's handle; it is not cleared when the dialog is destroyed.
    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::PostMessageA(m_hWnd, message, wParam, lParam); }

    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    // Sets the big (bBigIcon TRUE) or small window icon; returns the former one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
        { return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                     reinterpret_cast<LPARAM>(hIcon))); }
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK)
        { return ::MessageBoxA(m_hWnd, text, caption, type); }

    // Child controls by id. GetDlgItem gives the plain handle (null when there is no such child).
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    void SetDlgItemText(int nID, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, nID, text); }
    void GetDlgItemText(int nID, CString& text) const;
    void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
    UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }

protected:
    // The default processing of the message being handled; 0 outside a handler. A handler that
    // takes over a message calls it for the cases it leaves to the system, as a WM_PAINT handler
    // does for a window that is not minimised. For a plain window that is DefWindowProcA with the
    // message's parameters; a dialog leaves the message to the dialog manager instead.
    virtual LRESULT Default();

    // Handlers for ON_WM_PAINT and ON_WM_DESTROY: the default processing.
    void OnPaint() { Default(); }
    void OnDestroy() { Default(); }

private:
    friend class CDialog;
    // The message being dispatched to this window, for Default() alone: handlers get what they
    // need of it as parameters.
    MSG m_msgCur = {};
};

class CStatic : public CWnd {
public:
    // Shows `hBitmap` in an SS_BITMAP control; returns the former bitmap.
    HBITMAP SetBitmap(HBITMAP hBitmap)
        { return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP,
                                                       reinterpret_cast<LPARAM>(hBitmap))); }
};

class CProgressCtrl : public CWnd {
public:
    // Both bounds are 16-bit and the bar reads them unsigned: SetRange(0, short(40000)) is 0..40000.
    void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, nPos)); }
    int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, nStep)); }
    // Advances by the step; past the upper bound the bar starts over from the lower one.
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CPaintDC {
public:
    explicit CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};
