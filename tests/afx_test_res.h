// Resource ids of the framework tests' dialog.
#pragma once

#define IDD_AFX_TEST 200
#define IDC_TEST_EDIT 201
#define IDC_TEST_BUTTON 202
#define IDC_TEST_PROGRESS 203
