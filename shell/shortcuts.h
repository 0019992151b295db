// The installation's shortcut phase: the program group in the Start menu, its item sub-folders,
// the shortcuts (and desktop shortcuts) that the script's section "shortcut" lists.
#pragma once

#include "afxstr.h"

// Whoever runs the phase: given a safe point before every folder or shortcut is made (where it
// may hold the phase still), and told of every path that the log could not take and of every
// folder or shortcut that could not be made.
class ShortcutPhaseObserver {
public:
    virtual void Pause() = 0;
    virtual void NotLogged(LPCSTR path) = 0;
    virtual void NotMade(LPCSTR path) = 0;

protected:
    ~ShortcutPhaseObserver() = default;
};

class CInstallRecord;

// Makes the group, folders and shortcuts, each listed in the installation's record before it is
// made. strDestDir is the destination, with or without a trailing backslash. A folder or shortcut
// that cannot be made (a name the shell refuses, no access, a read-only shortcut in the way that
// stays so, a shell folder whose name the code page cannot write, no desktop folder at all) is
// told to the observer; one under a shell folder that cannot be named is neither made nor listed.
void InstallShortcuts(const CString& strDestDir, CInstallRecord& record, ShortcutPhaseObserver& observer);
// The same into the log at strLogPath from nFileIndex on, with nobody watching; returns the index
// after the last entry.
int InstallShortcuts(const CString& strDestDir, const CString& strLogPath, int nFileIndex);
