// Resource identifiers shared by the resource script and the dialogs.
#pragma once

#include "../afx/afxres.h"  // IDC_STATIC

#define IDR_MAINFRAME 128  // the application icon
#define IDD_DESTINATION 102
#define IDD_EXTRACT 130
#define IDD_FINISH 131
#define IDB_FINISH 132

// Texts (string tables, one per language)
#define IDS_SELECT_FOLDER 1
#define IDS_CAPTION 2
#define IDS_CAPTION_DESTINATION 3
#define IDS_LOCATION_NOT_AVAILABLE 4
#define IDS_NOT_ENOUGH_SPACE 5
#define IDS_CANCEL_SETUP 6
#define IDS_PACKAGE_NOT_OPENED 7
#define IDS_INCOMPLETE 8
#define IDS_FILES_NOT_INSTALLED 9
#define IDS_PACKAGE_DAMAGED 10
#define IDS_SHORTCUTS_NOT_MADE 11
#define IDS_ITEMS_NOT_LOGGED 12
#define IDS_INPUT_CHANGED 13
#define IDS_NEEDS_NEWER_WINDOWS 14

// Destination dialog
#define IDC_PICTURE 1000
#define IDC_DEST 1001
#define IDC_BROWSE 1002
#define IDC_REQUIRED 1005
#define IDC_AVAILABLE 1006

// Progress dialog
#define IDC_DEST_FILE 1003
#define IDC_PROGRESS 1004

// Finish dialog
#define IDC_LAUNCH 1007
