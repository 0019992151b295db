#include "app_icon.h"

#include "resource.h"

HICON theAppIcon = nullptr;

void LoadAppIcon()
{
    theAppIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void SetAppIcon(CWnd& wnd)
{
    wnd.SetIcon(theAppIcon, TRUE);
    wnd.SetIcon(theAppIcon, FALSE);
}
