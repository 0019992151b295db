#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "afxstr.h"
#include "setup_stamp.h"

// The window that an installation runs behind, as its worker sees it: from the worker's thread it
// notes the progress, holds the worker still where it may, shows the worker's message boxes, hands
// over to the finish dialog and is ended. The progress dialog is one; the worker knows no dialog.
class InstallWindow {
public:
    // The destination, exactly as the user gave it; set before the worker starts, then only read.
    virtual const CString& GetDestination() const = 0;
    // The entries of an earlier installation that the log was prepared with (file0 on), the same.
    virtual const std::vector<std::string>& GetEarlierEntries() const = 0;
    // The stamp that every package entry is checked against; null for none. The same.
    virtual const SetupStamp* GetStamp() const = 0;
    virtual bool IsCancelled() const = 0;
    virtual void ShowFile(LPCSTR path) = 0;  // the file under way
    virtual void Step() = 0;                 // one entry done
    virtual void Pause() = 0;                // returns once the user is not being asked to cancel
    virtual int ShowMessage(LPCSTR text, LPCSTR caption, UINT type) = 0;
    // Puts the finish dialog in the progress window's place and runs it on the worker's thread,
    // with `launch` (the script's value) to start from the destination.
    virtual void Finish(const CString& launch) = 0;
    virtual void End() = 0;                  // the worker's last act

protected:
    ~InstallWindow() = default;
};

// The installation's worker thread. `param` is the InstallWindow that started it: the worker
// installs every package entry, makes the shortcuts, writes "filenum", has the finish dialog
// shown, and on every path ends the window. Returns 0.
UINT InstallWorker(LPVOID param);
