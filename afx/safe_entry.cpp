// The process entry of a program that may be started from a folder its user does not control (a
// download folder), where a DLL planted beside the executable or in the current directory would be
// loaded in place of the system's own. A program linked with afx_safe_entry starts here instead of
// in the C runtime's WinMainCRTStartup, so all of this happens before the runtime starts, before
// any static constructor, and before any code of the program could load a DLL:
//
// 1. The default DLL search is narrowed to the system directory, for every later LoadLibrary
//    without a path, the system DLLs' own calls included.
// 2. The helper DLLs that system DLLs load on demand, by bare name, while a dialog program runs
//    (for painting, theming, the shell's dialogs, COM) are loaded now from the system directory.
//    A later request for one of them by name finds it loaded and searches nowhere. This covers
//    loads that the narrowed search does not govern: delay-loaded imports of system DLLs on some
//    systems (Wine resolves them with the process's original search path), and every load on a
//    system without SetDefaultDllDirectories.
//
// The DLLs that the executable imports are bound by the loader before this code runs; they must be
// Windows' own known DLLs, which linking everything else statically ensures.
#include <windows.h>

extern "C" int WinMainCRTStartup(void);

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Loaded on demand by name by the system's user interface DLLs; the classic planting targets.
const char* const kOnDemandSystemDlls[] = {
    "msimg32.dll",  "uxtheme.dll",  "dwmapi.dll",  "version.dll", "cryptbase.dll",
    "propsys.dll",  "profapi.dll",  "userenv.dll", "apphelp.dll", "oleacc.dll",
    "clbcatq.dll",  "ntmarta.dll",  "shfolder.dll", "textshaping.dll", "windowscodecs.dll",
};

void PreloadSystemDlls()
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    for (const char* name : kOnDemandSystemDlls) {
        if (length + 1 + lstrlenA(name) >= MAX_PATH) continue;
        path[length] = '\\';
        lstrcpyA(path + length + 1, name);
        // A full path: no search for the DLL itself; its own imports are looked for beside it
        // first. A DLL this system does not have is simply not loaded.
        LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}

}  // namespace

extern "C" int AfxSafeEntry(void)
{
    // SetDefaultDllDirectories comes with Windows 8 (and an update of Windows 7), so it is looked
    // up rather than imported: an import that cannot be bound would stop the program before it
    // starts.
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (proc) {
        auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(proc));
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Where the call above is missing this at least takes the current directory out of the search.
    SetDllDirectoryA("");
    PreloadSystemDlls();
    return WinMainCRTStartup();
}
