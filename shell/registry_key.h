// CRegistryKey: reads string values of one registry key below one of the four main roots.
// No handle is kept between calls: every operation opens the key with the access it needs, does
// one thing and closes it again.
#pragma once

#include <windows.h>

#include "afxstr.h"

class CRegistryKey {
public:
    CRegistryKey();
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Accepts HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_USERS only; any
    // other handle is refused and the root stays as it was.
    BOOL SetRootKey(HKEY hRootKey);
    // Proves that the key can be opened for full access (or creates it when bCreate) and remembers
    // its path. An empty path addresses the root itself and touches no registry.
    BOOL Open(CString strKeyPath, BOOL bCreate);
    // The value's type (REG_SZ, REG_EXPAND_SZ, ...), or 0 when the key or value cannot be read.
    DWORD GetValueType(CString strValueName);
    // The text of a REG_SZ or REG_EXPAND_SZ value of at most 254 characters, as stored (nothing
    // expanded); a copy of strDefault for anything else.
    CString ReadString(CString strValueName, CString strDefault);
    // Forgets the key path and returns to HKEY_CURRENT_USER; the last status is kept.
    void Reset();

    // The Win32 status of the latest open, create or query (0 = success).
    LONG GetLastStatus() const { return m_lLastError; }
    HKEY GetRootKey() const { return m_hRootKey; }
    const CString& GetKeyPath() const { return m_strKeyPath; }

private:
    LONG m_lLastError;
    HKEY m_hRootKey;
    BOOL m_bLazyWrite;  // when 0, Open flushes the key before closing it
    CString m_strKeyPath;
};
