// The copy of the uninstaller that carries out a removal. Windows keeps the image file of a
// running program open and refuses to delete it, and the uninstaller is itself an installed file,
// listed in the log, in the very folder that is to go: so the installed uninstaller asks the
// question, starts a copy of itself from the user's temporary folder and ends, and the copy waits
// for it to be gone before removing anything.
//
// How the copy itself goes: a running program cannot delete its own file either, and it is the
// last program of the removal, so nothing is left to delete it the moment it ends. The copy
// therefore (1) asks Windows to delete it at the next restart (MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT), which succeeds only with administrative rights: the uninstaller
// runs as the invoking user, so for most users it fails; and (2) deletes, when it starts, the
// copies that earlier removals left in the temporary folder (a copy still running refuses). So at
// most the copy of the latest removal stays, a file of some hundred KiB in the temporary folder,
// which Windows' own clean-up of temporary files also empties.
#pragma once

#include <windows.h>

#include <string>

// The command line of a copy: "/remove HANDLE ORIGINAL", HANDLE a process handle of the original
// that the copy inherited, ORIGINAL the path of the uninstaller that the user started.
struct CopyArguments {
    HANDLE hOriginal = nullptr;
    std::string original;
};
// False for any other command line (an uninstaller started by the user).
bool ParseCopyArguments(int argc, char** argv, CopyArguments& args);

// Copies the running uninstaller into the temporary folder and starts the copy (with the temporary
// folder as its current directory, so that the destination is nobody's current directory), handing
// it this process and `original`. False when no copy could be made or started.
bool StartRemovalCopy(const std::string& original);

// In the copy: waits (a while at most) for the original to end, and closes the inherited handle.
void WaitForOriginal(HANDLE hOriginal);
// In the copy: deletes the copies that earlier removals left, and asks for this one to be deleted
// at the next restart (see above).
void TidyRemovalCopies();

// The name pattern of the copies in the temporary folder ("~uninstall-" and 16 hex digits).
bool IsRemovalCopyName(const char* name);
