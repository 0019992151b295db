// CFolderBrowser: the shell's folder-selection dialog (SHBrowseForFolderA) behind a small object.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "afxstr.h"

// Holds what the shell dialog needs, runs it and turns the chosen item into a file-system path.
// The dialog's two notifications reach the virtual OnInitialized and OnSelChanged. The object is
// closed (no dialog) outside Browse and open while the shell dialog runs: the Set... operations
// that describe the dialog take effect only while it is closed, SetSelection and SetStatusText
// only while it is open.
class CFolderBrowser {
public:
    // Pure so that only a subclass can be made; the body runs when that subclass is destroyed.
    virtual ~CFolderBrowser() = 0;

    CFolderBrowser(const CFolderBrowser&) = delete;
    CFolderBrowser& operator=(const CFolderBrowser&) = delete;

    void SetOwner(HWND hOwner);
    // The root of the folder tree; null for the desktop. The ID list stays the caller's and must
    // outlive every Browse.
    void SetRoot(LPCITEMIDLIST pidlRoot);
    void SetFlags(UINT nFlags);
    // Takes a copy of the text; null removes the title.
    void SetTitle(LPCSTR lpszTitle);
    // False, with the title left as it was, for id 0, an id beyond the 16 bits of a resource id,
    // or a string the running module does not hold.
    bool SetTitle(UINT nTitleId);

    // Runs the dialog modally on the calling thread; true when the user chose an item that has a
    // file-system path, which GetPath then returns.
    bool Browse();
    CString GetPath() const { return m_strPath; }

    // Only while the dialog is open: select the folder at `lpszPath` / show `lpszText` in the
    // dialog's status line (shown when the flags hold BIF_STATUSTEXT).
    void SetSelection(LPCSTR lpszPath);
    void SetStatusText(LPCSTR lpszText);

protected:
    CFolderBrowser(HWND hOwner, LPCITEMIDLIST pidlRoot, UINT nTitleId);

    // The dialog has opened (its window is m_hDialog).
    virtual void OnInitialized();
    // The selection moved to `pidlItem`, an ID list the shell owns.
    virtual void OnSelChanged(LPCITEMIDLIST pidlItem);

    std::unique_ptr<char[]> m_title;
    BROWSEINFOA m_bi;
    char m_szDisplayName[MAX_PATH];
    CString m_strPath;
    HWND m_hDialog;

private:
    bool IsOpen() const { return m_hDialog != nullptr; }
    static int CALLBACK BrowseCallbackProc(HWND hDialog, UINT nMsg, LPARAM lParam, LPARAM lpData);
};

// Opens on an initial folder and shows the path under the selection in the status line.
class CFolderBrowserEx : public CFolderBrowser {
public:
    CFolderBrowserEx(HWND hOwner, UINT nTitleId);
    ~CFolderBrowserEx() override;

    // Read only when the dialog opens, so it may be set at any time.
    void SetInitialFolder(LPCSTR lpszPath) { m_strInitialFolder = lpszPath; }

protected:
    void OnInitialized() override;
    void OnSelChanged(LPCITEMIDLIST pidlItem) override;

    CString m_strInitialFolder;
};
