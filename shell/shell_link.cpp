#include "shell_link.h"

#include "shell_memory.h"

CShellLinkInfo::CShellLinkInfo()
    : m_pidl(nullptr), m_wHotkey(0), m_nIconIndex(0), m_nShowCmd(SW_SHOW)
{
}

CShellLinkInfo::CShellLinkInfo(const CShellLinkInfo& other) : CShellLinkInfo()
{
    *this = other;
}

CShellLinkInfo& CShellLinkInfo::operator=(const CShellLinkInfo& other)
{
    if (this == &other)
        return *this;
    m_strTarget = other.m_strTarget;
    // ILClone allocates with the shell's task allocator, the one FreeIDList frees with.
    LPITEMIDLIST pidl = other.m_pidl ? ILClone(other.m_pidl) : nullptr;
    FreeIDList();
    m_pidl = pidl;
    m_strArguments = other.m_strArguments;
    m_strDescription = other.m_strDescription;
    m_wHotkey = other.m_wHotkey;
    m_strIconPath = other.m_strIconPath;
    m_nIconIndex = other.m_nIconIndex;
    m_nShowCmd = other.m_nShowCmd;
    m_strWorkingDir = other.m_strWorkingDir;
    return *this;
}

CShellLinkInfo::~CShellLinkInfo()
{
    FreeIDList();
}

void CShellLinkInfo::FreeIDList()
{
    ShellFree(m_pidl);
    m_pidl = nullptr;
}

CShellLink::CShellLink()
    : m_pShellLink(nullptr), m_pPersistFile(nullptr), m_bInitialized(FALSE)
{
}

CShellLink::~CShellLink()
{
    if (m_pPersistFile)
        m_pPersistFile->Release();
    if (m_pShellLink)
        m_pShellLink->Release();
}

BOOL CShellLink::Init()
{
    // Each call adds one initialisation of this thread's apartment (S_FALSE once it is already
    // initialised); the installer never uninitialises COM, so the link objects of later calls
    // and of other CShellLinks stay usable on this thread.
    CoInitialize(nullptr);
    if (m_bInitialized)
        return m_pShellLink != nullptr;

    m_bInitialized = TRUE;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&m_pShellLink)))) {
        m_pShellLink = nullptr;
        return FALSE;
    }
    if (FAILED(m_pShellLink->QueryInterface(IID_IPersistFile,
                                            reinterpret_cast<void**>(&m_pPersistFile)))) {
        m_pPersistFile = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CShellLink::SetLinkInfo(const CShellLinkInfo& info)
{
    if (!Init())
        return FALSE;
    m_info = info;
    return TRUE;
}

BOOL CShellLink::Save(const CString& strLinkPath)
{
    if (!Init())
        return FALSE;
    if (!m_info.m_pidl && m_info.m_strTarget.IsEmpty())
        return FALSE;
    if (strLinkPath.IsEmpty())
        return FALSE;
    if (!m_pShellLink || !m_pPersistFile)
        return FALSE;

    // A path that does not fit, terminator included, makes the conversion fail; a cut-short
    // buffer would name another file, so the save is refused instead.
    WCHAR wszLinkPath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, strLinkPath, -1, wszLinkPath, MAX_PATH) == 0)
        return FALSE;

    // Every property is set, empty ones included, so nothing of an earlier record survives.
    if (m_info.m_pidl)
        m_pShellLink->SetIDList(m_info.m_pidl);
    else
        m_pShellLink->SetPath(m_info.m_strTarget);
    m_pShellLink->SetWorkingDirectory(m_info.m_strWorkingDir);
    m_pShellLink->SetIconLocation(m_info.m_strIconPath, m_info.m_nIconIndex);
    m_pShellLink->SetDescription(m_info.m_strDescription);
    m_pShellLink->SetArguments(m_info.m_strArguments);
    m_pShellLink->SetHotkey(m_info.m_wHotkey);
    m_pShellLink->SetShowCmd(m_info.m_nShowCmd);

    return SUCCEEDED(m_pPersistFile->Save(wszLinkPath, TRUE));
}

int CreateShortcut(CString strFileName, CString strDescription, CString strLinkName,
                   const CString& strDirectory, const CString& strFolder, CString strArguments)
{
    CShellLinkInfo info;
    info.m_strTarget = strDirectory + strFileName;
    info.m_strArguments = strArguments;
    info.m_strDescription = strDescription;
    info.m_strWorkingDir = strDirectory;
    info.m_strIconPath = strDirectory + strFileName;
    info.m_nIconIndex = 0;
    info.m_nShowCmd = SW_SHOWNORMAL;

    CShellLink link;
    if (!link.SetLinkInfo(info))
        return 0;
    return link.Save(strFolder + strLinkName) ? 1 : 0;
}
