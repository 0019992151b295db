#pragma once

#include "afxwin.h"

// The installer: a dialog-based application with no main window. Start-up runs the destination
// dialog and, when the user confirms it, the progress dialog, whose worker carries the
// installation through to the finish dialog.
class CSetupApp : public CWinApp {
public:
    CSetupApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
