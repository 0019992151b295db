// Resource identifiers shared by the resource script and the dialogs.
#pragma once

#include "../afx/afxres.h"  // IDC_STATIC

#define IDR_MAINFRAME 128  // the application icon
#define IDD_DESTINATION 102
#define IDD_EXTRACT 130
#define IDD_FINISH 131
#define IDB_FINISH 132
#define IDS_SELECT_FOLDER 1

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
