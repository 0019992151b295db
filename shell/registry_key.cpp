#include "registry_key.h"

namespace {

// Room for the text of a value; the query is offered one byte less than this, so the last byte
// always stays NUL even when a value was stored without its terminator.
constexpr DWORD kValueBufferSize = 256;

}  // namespace

CRegistryKey::CRegistryKey()
    : m_lLastError(ERROR_SUCCESS), m_hRootKey(HKEY_CURRENT_USER), m_bLazyWrite(TRUE)
{
}

CRegistryKey::~CRegistryKey()
{
    Reset();
}

BOOL CRegistryKey::SetRootKey(HKEY hRootKey)
{
    if (hRootKey != HKEY_CLASSES_ROOT && hRootKey != HKEY_CURRENT_USER &&
        hRootKey != HKEY_LOCAL_MACHINE && hRootKey != HKEY_USERS)
        return FALSE;
    m_hRootKey = hRootKey;
    return TRUE;
}

BOOL CRegistryKey::Open(CString strKeyPath, BOOL bCreate)
{
    if (strKeyPath.IsEmpty()) {
        m_strKeyPath.Empty();
        return TRUE;
    }

    HKEY hKey = nullptr;
    if (bCreate) {
        DWORD dwDisposition = 0;
        m_lLastError = RegCreateKeyExA(m_hRootKey, strKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, &hKey, &dwDisposition);
    } else {
        m_lLastError = RegOpenKeyExA(m_hRootKey, strKeyPath, 0, KEY_ALL_ACCESS, &hKey);
    }
    if (m_lLastError != ERROR_SUCCESS)
        return FALSE;

    m_strKeyPath = strKeyPath;
    if (!m_bLazyWrite)
        RegFlushKey(hKey);
    RegCloseKey(hKey);
    return TRUE;
}

DWORD CRegistryKey::GetValueType(CString strValueName)
{
    HKEY hKey = nullptr;
    m_lLastError = RegOpenKeyExA(m_hRootKey, m_strKeyPath, 0, KEY_QUERY_VALUE, &hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return 0;

    // With neither a data buffer nor a size only the type is asked for.
    DWORD dwType = REG_SZ;
    m_lLastError = RegQueryValueExA(hKey, strValueName, nullptr, &dwType, nullptr, nullptr);
    RegCloseKey(hKey);
    return m_lLastError == ERROR_SUCCESS ? dwType : 0;
}

CString CRegistryKey::ReadString(CString strValueName, CString strDefault)
{
    DWORD dwType = GetValueType(strValueName);
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return strDefault;

    HKEY hKey = nullptr;
    m_lLastError = RegOpenKeyExA(m_hRootKey, m_strKeyPath, 0, KEY_READ, &hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return strDefault;

    // A text of more than 254 characters does not fit with its terminator and fails with
    // ERROR_MORE_DATA. REG_EXPAND_SZ comes back as stored: RegQueryValueExA expands nothing.
    BYTE buffer[kValueBufferSize] = {};
    DWORD cbData = kValueBufferSize - 1;
    m_lLastError = RegQueryValueExA(hKey, strValueName, nullptr, &dwType, buffer, &cbData);
    RegCloseKey(hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return strDefault;
    return CString(reinterpret_cast<LPCSTR>(buffer));
}

void CRegistryKey::Reset()
{
    m_strKeyPath.Empty();
    m_hRootKey = HKEY_CURRENT_USER;
    m_bLazyWrite = TRUE;
}
