#pragma once

#include "afxwin.h"

// The uninstaller: a dialog-based application with no main window, started by the user from the
// destination (the Start-menu shortcut, the folder), or, for the removal itself, as a copy of
// itself in the temporary folder (see removal_copy.h).
class CUninstallApp : public CWinApp {
public:
    CUninstallApp();
    BOOL InitInstance() override;

    int m_nExitCode = 0;  // the process's exit status

private:
    // The installed uninstaller: the question, then the copy.
    int Ask();
    // The copy (or the installed uninstaller when no copy could be started): the removal and its
    // end message. `original` is the uninstaller that the user started.
    int Remove(const CString& original);
};
