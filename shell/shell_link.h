// Shortcut files (".lnk") written through the shell's link object.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "afxobj.h"
#include "afxstr.h"

// The properties of one shortcut. Strings are in the ANSI code page.
class CShellLinkInfo : public CObject {
public:
    CShellLinkInfo();
    // A record owns its ID list: a copy gets a list of its own, so no two records ever free the
    // same one.
    CShellLinkInfo(const CShellLinkInfo& other);
    CShellLinkInfo& operator=(const CShellLinkInfo& other);
    ~CShellLinkInfo() override;

    CString m_strTarget;
    // When set, the target in place of m_strTarget; freed with the shell's allocator.
    LPITEMIDLIST m_pidl;
    CString m_strArguments;
    CString m_strDescription;
    WORD m_wHotkey;  // as IShellLinkA::SetHotkey takes it; 0 for none
    CString m_strIconPath;
    int m_nIconIndex;
    int m_nShowCmd;
    CString m_strWorkingDir;

private:
    void FreeIDList();
};

// Owns one shell link object (its IShellLinkA and IPersistFile interfaces), created on first use
// and released when the CShellLink goes.
class CShellLink {
public:
    CShellLink();
    ~CShellLink();
    CShellLink(const CShellLink&) = delete;
    CShellLink& operator=(const CShellLink&) = delete;

    // Initialises COM on this thread (every time; never undone) and creates the link object the
    // first time. TRUE while a link object is held.
    BOOL Init();
    // Takes a copy of the record; FALSE (record unchanged) when there is no link object.
    BOOL SetLinkInfo(const CShellLinkInfo& info);
    // Writes the record to strLinkPath. Refused without a target, without a path, without the
    // persistence interface, and when the path does not fit MAX_PATH UTF-16 units.
    BOOL Save(const CString& strLinkPath);

private:
    CShellLinkInfo m_info;
    IShellLinkA* m_pShellLink;
    IPersistFile* m_pPersistFile;
    BOOL m_bInitialized;  // creation of the link object was attempted, whatever its outcome
};

// Saves folder + linkName as a shortcut to directory + fileName, started in directory with the
// arguments, the target's first icon and a normal window. No separator is added: fileName and
// linkName begin with a backslash, directory and folder end without one. 1 when saved, else 0.
int CreateShortcut(CString strFileName, CString strDescription, CString strLinkName,
                   const CString& strDirectory, const CString& strFolder, CString strArguments);
