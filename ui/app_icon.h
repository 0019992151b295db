#pragma once

#include "afxwin.h"

// The application icon (resource 128), shared by every dialog. The destination dialog's
// constructor loads it before any other dialog or thread exists; it is never freed.
extern HICON theAppIcon;

void LoadAppIcon();
// Makes the application icon the window's big and then its small icon.
void SetAppIcon(CWnd& wnd);
