#include "shortcuts.h"

#include "registry_key.h"
#include "setup_files.h"
#include "shell_link.h"
#include "uninstall_log.h"

namespace {

constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The destination without one trailing backslash (D:\ becomes D:). The search is aware of
// double-byte characters, so a trail byte 0x5C ending the last character is kept.
CString WithoutTrailingBackslash(const CString& strDir)
{
    int nLast = strDir.GetLength() - 1;
    if (nLast >= 0 && strDir.ReverseFind('\\') == nLast)
        return strDir.Left(nLast);
    return strDir;
}

// Logs the phase's paths one after another, telling the observer of any that the log refused.
class PhaseLog {
public:
    PhaseLog(CUninstallLog& log, int nFileIndex, ShortcutPhaseObserver& observer)
        : m_log(log), m_nFileIndex(nFileIndex), m_observer(observer) {}

    void Add(const CString& strPath)
    {
        const int nNext = LogCreatedPath(m_log, m_nFileIndex, strPath);
        if (nNext == m_nFileIndex) m_observer.NotLogged(strPath);
        m_nFileIndex = nNext;
    }
    int NextIndex() const { return m_nFileIndex; }

private:
    CUninstallLog& m_log;
    int m_nFileIndex;
    ShortcutPhaseObserver& m_observer;
};

class NoObserver : public ShortcutPhaseObserver {
public:
    void Pause() override {}
    void NotLogged(LPCSTR) override {}
};

}  // namespace

int InstallShortcuts(const CString& strDestDir, const CString& strLogPath, int nFileIndex)
{
    NoObserver nobody;
    CUninstallLog log(strLogPath);
    return InstallShortcuts(strDestDir, log, nFileIndex, nobody);
}

int InstallShortcuts(const CString& strDestDir, CUninstallLog& log, int nFileIndex,
                     ShortcutPhaseObserver& observer)
{
    // The registry text is taken as it stands: nothing is trimmed or expanded.
    CString strPrograms;
    CString strDesktop;
    CRegistryKey key;
    key.SetRootKey(HKEY_CURRENT_USER);
    if (key.Open(kShellFoldersKey, FALSE)) {
        strPrograms = key.ReadString("Programs", "");
        strDesktop = key.ReadString("Desktop", "");
    }

    CString strTargetDir = WithoutTrailingBackslash(strDestDir);
    // Without a Programs folder the group goes into the destination; the desktop has no fallback.
    if (strPrograms.IsEmpty())
        strPrograms = strTargetDir;

    PhaseLog phaseLog(log, nFileIndex, observer);
    CString strGroup = ReadScript(Script::kGroup);
    CString strCurrentFolder = strPrograms + "\\" + strGroup;
    // A folder that exists already, or cannot be made, is logged all the same.
    observer.Pause();
    CreateDirectoryA(strCurrentFolder, nullptr);
    phaseLog.Add(strCurrentFolder);

    // The current folder carries over: a shortcut goes into the latest item group before it.
    // Item groups always lie directly below the program group, never inside each other.
    int nItems = ReadScript(Script::kItemNum);
    for (int i = 0; i < nItems; ++i) {
        observer.Pause();
        CString strItemGroup = ReadScriptItem(Script::kItemGroup, i);
        if (!strItemGroup.IsEmpty()) {
            strCurrentFolder = strPrograms + "\\" + strGroup + "\\" + strItemGroup;
            CreateDirectoryA(strCurrentFolder, nullptr);
            phaseLog.Add(strCurrentFolder);
            continue;
        }

        CString strFileName = ReadScriptItem(Script::kItemFileName, i);
        CString strArguments = ReadScriptItem(Script::kItemArgument, i);
        CString strDescription = ReadScriptItem(Script::kItemDesc, i);
        CString strLinkName = "\\" + strDescription + ".lnk";

        CreateShortcut("\\" + strFileName, strDescription, strLinkName, strTargetDir,
                       strCurrentFolder, strArguments);
        phaseLog.Add(strCurrentFolder + strLinkName);

        // An unread desktop folder leaves the bare link name as the desktop shortcut's path.
        if (ReadScriptItem(Script::kItemDesktop, i) != 0) {
            observer.Pause();
            CreateShortcut("\\" + strFileName, strDescription, strLinkName, strTargetDir,
                           strDesktop, strArguments);
            phaseLog.Add(strDesktop + strLinkName);
        }
    }
    return phaseLog.NextIndex();
}
