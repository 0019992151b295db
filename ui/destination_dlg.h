#pragma once

#include "afxwin.h"

// The first window of an installation: the installer's picture, the proposed destination (typed
// or browsed), and the space the installation needs beside the space free on the destination's
// drive. It accepts a destination only when that drive has room.
class CDestinationDlg : public CDialog {
public:
    explicit CDestinationDlg(CWnd* pParent = nullptr);

    HBITMAP m_hBitmap = nullptr;  // "face.bmp"; owned, deleted when the window is destroyed
    HBITMAP m_hScaled = nullptr;  // the same at the window's dpi, when that is not 96; owned too
    CString m_strFolder;          // the product folder name: "location" after its last backslash
    CStatic m_picture;
    CString m_strDest;            // the edit's text, as accepted by OK

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnBrowse();
    void OnChangeDest();
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
