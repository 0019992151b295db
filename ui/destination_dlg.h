#pragma once

#include "afxwin.h"
#include "dpi_picture.h"

// The first window of an installation: the installer's picture, the proposed destination (typed
// or browsed), and the space the installation needs beside the space free on the destination's
// drive. It accepts a destination only when that drive has room.
class CDestinationDlg : public CDialog {
public:
    explicit CDestinationDlg(CWnd* pParent = nullptr);

    CDpiPicture m_face;           // "face.bmp", at the window's scale
    CString m_strFolder;          // the product folder name: "location" after its last backslash
    CStatic m_picture;
    CString m_strDest;            // the edit's text, as accepted by OK

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowse();
    void OnChangeDest();
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
