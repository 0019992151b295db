// A program built on the framework's own WinMain, for the framework tests: its application object
// writes what InitInstance saw to the file named like the executable with ".out" appended.
#include "afxwin.h"

#include <cstdio>

namespace {

class CProbeApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        char path[MAX_PATH + 8];
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return FALSE;
        lstrcatA(path, ".out");
        FILE* f = fopen(path, "wb");
        if (!f) return FALSE;
        fprintf(f, "InitInstance: %s, %s", AfxGetApp() == this ? "app registered" : "no app",
                AfxGetInstanceHandle() == GetModuleHandleA(nullptr) ? "instance is the module" : "wrong instance");
        fclose(f);
        return FALSE;
    }
};

CProbeApp theProbeApp;

}  // namespace
