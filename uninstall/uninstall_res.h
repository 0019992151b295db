// Resource identifiers of the uninstaller's own resource script.
#pragma once

#define IDR_UNINSTALL 128  // the application icon
#define IDD_REMOVING 140
#define IDC_REMOVING_TEXT 1400
#define IDC_REMOVING_BAR 1401

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
