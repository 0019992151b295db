// Resource identifiers of the uninstaller's own resource script.
#pragma once

#define IDR_UNINSTALL 128  // the application icon
#define IDD_REMOVING 140
#define IDC_REMOVING_TEXT 1400
#define IDC_REMOVING_BAR 1401

// Texts (string tables, one per language)
#define IDS_NOTHING_TO_UNINSTALL_CAPTION 1
#define IDS_NOTHING_TO_UNINSTALL 2
#define IDS_REMOVE_QUESTION 3
#define IDS_REMOVED 4
#define IDS_REMOVED_EXCEPT 5
#define IDS_REMOVING_PRODUCT 6

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
