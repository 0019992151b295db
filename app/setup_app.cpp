#include "setup_app.h"

#include "destination_dlg.h"
#include "extract_dlg.h"
#include "resource.h"
#include "module_dir.h"
#include "setup_check.h"
#include "setup_names.h"
#include "utf8_build.h"

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CSetupApp::CSetupApp() : CWinApp(nullptr) {}

CSetupApp theApp;

BOOL CSetupApp::InitInstance()
{
    // A stamped installer uses nothing of its setup directory that differs from the stamp; the
    // files checked stay open against writing until the installation ends.
    CSetupCheck check;
    CString changed;
    if (!check.CheckInputs(changed)) {
        MessageBoxA(nullptr, ChangedInputMessage(changed), ResourceText(IDS_CAPTION), MB_OK);
        return FALSE;
    }
    // A build for UTF-8 that Windows runs in another code page (before Windows 10 version 1903)
    // would show and make the script's names under other letters: it stops before anything is made.
    if (Utf8Misread() && (FileHasNonAscii(GetModuleDirectory() + SetupFile::kScript) ||
                          FileHasNonAscii(GetModuleDirectory() + SetupFile::kLog))) {
        MessageBoxA(nullptr, ResourceText(IDS_NEEDS_NEWER_WINDOWS), ResourceText(IDS_CAPTION), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    CDestinationDlg destination;
    if (destination.DoModal() == IDOK) {
        // The destination goes on exactly as typed or browsed: nothing trimmed, no backslash added.
        CExtractDlg extract;
        extract.RunExtraction(destination.m_strDest, check.GetStamp());
    }
    // No application message loop follows; the process ends.
    return FALSE;
}
