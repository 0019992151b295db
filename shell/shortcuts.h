// The installation's shortcut phase: the program group in the Start menu, its item sub-folders,
// the shortcuts (and desktop shortcuts) that the script's section "shortcut" lists.
#pragma once

#include "afxstr.h"

// Whoever runs the phase: given a safe point before every folder or shortcut is made (where it
// may hold the phase still), and told of every path that the log could not take.
class ShortcutPhaseObserver {
public:
    virtual void Pause() = 0;
    virtual void NotLogged(LPCSTR path) = 0;

protected:
    ~ShortcutPhaseObserver() = default;
};

class CUninstallLog;

// Makes the group, folders and shortcuts and logs every one of them through the uninstall log
// writer `log` as "file<index>", from nFileIndex on, whether or not it could be made. strDestDir
// is the destination, with or without a trailing backslash. Returns the index after the last entry.
int InstallShortcuts(const CString& strDestDir, CUninstallLog& log, int nFileIndex,
                     ShortcutPhaseObserver& observer);
// The same into the log at strLogPath, with nobody watching.
int InstallShortcuts(const CString& strDestDir, const CString& strLogPath, int nFileIndex);
