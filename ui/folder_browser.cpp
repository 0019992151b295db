#include "folder_browser.h"

#include <cstring>

#include "shell_memory.h"

CFolderBrowser::CFolderBrowser(HWND hOwner, LPCITEMIDLIST pidlRoot, UINT nTitleId)
    : m_bi(), m_szDisplayName(), m_hDialog(nullptr)
{
    // Until the user sets them: no title, and only folders that have a file-system path can be
    // confirmed, since Browse reports success for nothing else.
    m_bi.ulFlags = BIF_RETURNONLYFSDIRS;
    SetOwner(hOwner);
    SetRoot(pidlRoot);
    SetTitle(nTitleId);
    m_bi.pszDisplayName = m_szDisplayName;
    m_bi.lpfn = BrowseCallbackProc;
    m_bi.lParam = reinterpret_cast<LPARAM>(this);
}

CFolderBrowser::~CFolderBrowser() = default;

void CFolderBrowser::SetOwner(HWND hOwner)
{
    if (!IsOpen()) m_bi.hwndOwner = hOwner;
}

void CFolderBrowser::SetRoot(LPCITEMIDLIST pidlRoot)
{
    if (!IsOpen()) m_bi.pidlRoot = pidlRoot;
}

void CFolderBrowser::SetFlags(UINT nFlags)
{
    if (!IsOpen()) m_bi.ulFlags = nFlags;
}

void CFolderBrowser::SetTitle(LPCSTR lpszTitle)
{
    if (IsOpen()) return;
    if (!lpszTitle) {
        m_bi.lpszTitle = nullptr;
        m_title.reset();
        return;
    }
    size_t size = std::strlen(lpszTitle) + 1;
    std::unique_ptr<char[]> title(new char[size]);
    std::memcpy(title.get(), lpszTitle, size);
    m_bi.lpszTitle = title.get();
    m_title = std::move(title);
}

bool CFolderBrowser::SetTitle(UINT nTitleId)
{
    // LoadString keeps only the low word of an id, so a larger id would load another string.
    if (nTitleId == 0 || nTitleId > 0xFFFF) return false;
    CString title;
    if (!title.LoadString(nTitleId)) return false;
    SetTitle(static_cast<LPCSTR>(title));
    return true;
}

bool CFolderBrowser::Browse()
{
    // A second dialog on the same BROWSEINFO from inside a notification would close this object
    // while the first one still runs.
    if (IsOpen()) return false;

    bool bResult = false;
    LPITEMIDLIST pidl = SHBrowseForFolderA(&m_bi);
    if (pidl) {
        m_strPath.Empty();
        if (SHGetPathFromIDListA(pidl, m_szDisplayName)) {
            m_strPath = m_szDisplayName;
            bResult = true;
        }
        ShellFree(pidl);
    }
    m_hDialog = nullptr;
    return bResult;
}

void CFolderBrowser::SetSelection(LPCSTR lpszPath)
{
    if (IsOpen())
        SendMessageA(m_hDialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(lpszPath));
}

void CFolderBrowser::SetStatusText(LPCSTR lpszText)
{
    if (IsOpen())
        SendMessageA(m_hDialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CFolderBrowser::OnInitialized()
{
}

void CFolderBrowser::OnSelChanged(LPCITEMIDLIST)
{
}

int CALLBACK CFolderBrowser::BrowseCallbackProc(HWND hDialog, UINT nMsg, LPARAM lParam,
                                                LPARAM lpData)
{
    // Every message carries the dialog window, so the object is open from the first one on, even
    // for a notification that comes before BFFM_INITIALIZED.
    auto* pThis = reinterpret_cast<CFolderBrowser*>(lpData);
    pThis->m_hDialog = hDialog;
    switch (nMsg) {
    case BFFM_INITIALIZED:
        pThis->OnInitialized();
        break;
    case BFFM_SELCHANGED:
        pThis->OnSelChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
        break;
    default:
        break;
    }
    return 0;
}

CFolderBrowserEx::CFolderBrowserEx(HWND hOwner, UINT nTitleId)
    : CFolderBrowser(hOwner, nullptr, nTitleId)
{
}

CFolderBrowserEx::~CFolderBrowserEx() = default;

void CFolderBrowserEx::OnInitialized()
{
    SetSelection(m_strInitialFolder);
    SetStatusText(m_strInitialFolder);
}

void CFolderBrowserEx::OnSelChanged(LPCITEMIDLIST pidlItem)
{
    // An item without a file-system path (a virtual folder) shows an empty status line. Some
    // shells announce a selection with no ID list at all; that has no path either.
    CString path;
    char* buffer = path.GetBuffer(MAX_PATH);
    bool bHasPath = pidlItem && SHGetPathFromIDListA(pidlItem, buffer);
    path.ReleaseBuffer(bHasPath ? -1 : 0);
    SetStatusText(path);
}
