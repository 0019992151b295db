#include "app_icon.h"

#include "resource.h"

HICON theAppIcon = nullptr;

void LoadAppIcon()
{
    theAppIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void SetAppIcon(CWnd& wnd)
{
    wnd.SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(theAppIcon));
    wnd.SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(theAppIcon));
}
