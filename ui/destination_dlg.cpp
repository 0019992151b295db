#include "destination_dlg.h"

#include "app_icon.h"
#include "folder_browser.h"
#include "module_dir.h"
#include "resource.h"
#include "setup_check.h"
#include "setup_files.h"

namespace {

// Whole MiB free to the calling user on the drive that `root` names (a path that the query
// resolves: "C:" or "C:\", relative ones against the current directory). The count is taken as a
// signed 32-bit number, as the script's "needspace" is.
bool FreeMegabytes(LPCSTR root, int& megabytes)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(root, &available, nullptr, nullptr)) return false;
    megabytes = static_cast<int>(static_cast<DWORD>(available.QuadPart >> 20));
    return true;
}

CString FormatMegabytes(int megabytes)
{
    CString text;
    text.Format("%d M", megabytes);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDestinationDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_EN_CHANGE(IDC_DEST, OnChangeDest)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
END_MESSAGE_MAP()

CDestinationDlg::CDestinationDlg(CWnd* pParent) : CDialog(IDD_DESTINATION, pParent)
{
    LoadAppIcon();
}

void CDestinationDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PICTURE, m_picture);
    DDX_Text(pDX, IDC_DEST, m_strDest);
}

BOOL CDestinationDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetAppIcon(*this);

    HBITMAP face = IsStampedAbsent(SetupFile::kPicture)
                       ? nullptr
                       : static_cast<HBITMAP>(LoadImageA(nullptr, GetModuleDirectory() + SetupFile::kPicture,
                                                         IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    m_face.Attach(m_hWnd, m_picture.m_hWnd, face);
    m_face.ShowAt(GetWindowDpi(m_hWnd));

    SetWindowText(ReadScript(Script::kTitle));
    CString location = ReadScript(Script::kLocation);
    SetDlgItemText(IDC_DEST, location);  // runs OnChangeDest

    int slash = location.ReverseFind('\\');
    m_strFolder = slash < 0 ? CString() : location.Mid(slash + 1);
    return TRUE;
}

void CDestinationDlg::OnChangeDest()
{
    CString dest;
    GetDlgItemText(IDC_DEST, dest);
    // The display takes the drive from two characters ("C:"); a failed query shows 0 and 0.
    int required = 0;
    int available = 0;
    if (FreeMegabytes(dest.Left(2), available)) required = ReadScript(Script::kNeedSpace);
    SetDlgItemText(IDC_REQUIRED, FormatMegabytes(required));
    SetDlgItemText(IDC_AVAILABLE, FormatMegabytes(available));
}

void CDestinationDlg::OnBrowse()
{
    CFolderBrowserEx browser(GetSafeHwnd(), IDS_SELECT_FOLDER);
    browser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    browser.SetInitialFolder("c:\\");
    if (!browser.Browse()) return;
    CString dest = browser.GetPath();
    if (dest.IsEmpty() || dest[dest.GetLength() - 1] != '\\') dest += '\\';
    SetDlgItemText(IDC_DEST, dest + m_strFolder);
}

void CDestinationDlg::OnOK()
{
    CString dest;
    GetDlgItemText(IDC_DEST, dest);
    if (dest.GetLength() < 3) {
        MessageBox(ResourceText(IDS_LOCATION_NOT_AVAILABLE), ResourceText(IDS_CAPTION_DESTINATION), MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The check takes the root from three characters ("C:\"). A root whose space cannot be
    // asked for (a network path, a missing drive) is accepted without a check.
    int available = 0;
    if (FreeMegabytes(dest.Left(3), available)) {
        int needed = ReadScript(Script::kNeedSpace);
        if (needed > available) {
            CString text;
            text.Format(IDS_NOT_ENOUGH_SPACE, needed);
            MessageBox(text, ResourceText(IDS_CAPTION_DESTINATION), MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    CDialog::OnOK();
}

void CDestinationDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, theAppIcon);
}

HCURSOR CDestinationDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(theAppIcon);
}

LRESULT CDestinationDlg::OnDpiChanged(WPARAM wParam, LPARAM)
{
    // Windows scales the dialog's layout and font to the new display; the picture follows.
    const LRESULT result = Default();
    m_face.ShowAt(HIWORD(wParam));
    return result;
}
