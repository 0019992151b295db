// CWinApp: the one application object and the framework's entry code.
#pragma once

#include <windows.h>

#include "afxmsg.h"

class CWinApp : public CCmdTarget {
public:
    // The application object is a static object; constructing it makes it the application.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // The application's whole run. There is no application message loop: whatever InitInstance
    // returns, AfxWinMain returns 0 once it is over.
    virtual BOOL InitInstance() { return FALSE; }

    // Handler for ID_HELP: this framework has no help system, so it does nothing.
    void OnHelp() {}

    LPCSTR m_pszAppName;  // as given to the constructor; may be null
};

CWinApp* AfxGetApp();
// The module that holds the program and its resources.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// The framework's entry: registers the common controls' progress bar class, then runs the
// application object's InitInstance. Returns the process exit code (-1 when there is no
// application object).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
