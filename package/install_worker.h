#pragma once

#include <windows.h>

// The installation's worker thread. `param` is the progress dialog (a CExtractDlg) that started
// it: the worker installs every package entry, makes the shortcuts, writes "filenum", shows the
// finish dialog, and on every path ends the progress dialog with a posted WM_QUIT. Returns 0.
UINT InstallWorker(LPVOID param);
