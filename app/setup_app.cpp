#include "setup_app.h"

#include "destination_dlg.h"
#include "extract_dlg.h"

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CSetupApp::CSetupApp() : CWinApp(nullptr) {}

CSetupApp theApp;

BOOL CSetupApp::InitInstance()
{
    CDestinationDlg destination;
    if (destination.DoModal() == IDOK) {
        // The destination goes on exactly as typed or browsed: nothing trimmed, no backslash added.
        CExtractDlg extract;
        extract.RunExtraction(destination.m_strDest);
    }
    // No application message loop follows; the process ends.
    return FALSE;
}
