#include "afxwnd.h"

namespace {

void ReadWindowText(HWND hWnd, CString& text)
{
    // The length may over-state the text (it can count a conversion's worst case); the copy's own
    // count is what ends the string.
    int length = ::GetWindowTextLengthA(hWnd);
    LPSTR buffer = text.GetBuffer(length);
    int copied = ::GetWindowTextA(hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}

}  // namespace

void CWnd::GetDlgItemText(int nID, CString& text) const
{
    ReadWindowText(::GetDlgItem(m_hWnd, nID), text);
}

LRESULT CWnd::Default()
{
    if (!m_msgCur.hwnd) return 0;
    return ::DefWindowProcA(m_msgCur.hwnd, m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam);
}
