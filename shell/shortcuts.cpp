#include "shortcuts.h"

#include "install_record.h"
#include "module_dir.h"
#include "setup_files.h"
#include "shell_folder_values.h"
#include "shell_link.h"

namespace {

class NoObserver : public ShortcutPhaseObserver {
public:
    void Pause() override {}
    void NotLogged(LPCSTR) override {}
    void NotMade(LPCSTR) override {}
};

// Lists each path before it is made and tells the observer of every one that fails.
class Phase {
public:
    Phase(CInstallRecord& record, ShortcutPhaseObserver& observer) : m_record(record), m_observer(observer) {}

    // A folder that exists already is made.
    void MakeFolder(const CString& path, bool nameable)
    {
        m_observer.Pause();
        if (!nameable) return m_observer.NotMade(path);
        List(path);
        if (CreateDirectoryA(path, nullptr)) return;
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(path);
        if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
            !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            m_observer.NotMade(path);
    }

    void MakeShortcut(const CString& fileName, const CString& description, const CString& linkName,
                      const CString& targetDir, const CString& folder, const CString& arguments, bool nameable)
    {
        const CString path = folder + linkName;
        m_observer.Pause();
        if (!nameable) return m_observer.NotMade(path);
        List(path);
        // A read-only (hidden, system) shortcut of the same name is replaced, as the log template is.
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (!CreateShortcut(fileName, description, linkName, targetDir, folder, arguments))
            m_observer.NotMade(path);
    }

private:
    void List(const CString& path)
    {
        if (!m_record.List(path)) m_observer.NotLogged(path);
    }

    CInstallRecord& m_record;
    ShortcutPhaseObserver& m_observer;
};

}  // namespace

int InstallShortcuts(const CString& strDestDir, const CString& strLogPath, int nFileIndex)
{
    NoObserver nobody;
    CInstallRecord record(strLogPath, nFileIndex);
    InstallShortcuts(strDestDir, record, nobody);
    return record.Count();
}

void InstallShortcuts(const CString& strDestDir, CInstallRecord& record, ShortcutPhaseObserver& observer)
{
    // The registry text is taken as it stands: nothing is trimmed or expanded.
    const ShellFolders shell = ReadShellFolders();
    CString strPrograms = shell.programs;
    const CString strTargetDir = WithoutTrailingBackslash(strDestDir);
    // Without a Programs folder the group goes into the destination.
    const bool bProgramsNameable = !shell.bProgramsLost;
    if (strPrograms.IsEmpty())
        strPrograms = strTargetDir;
    // Without a desktop folder a desktop shortcut has no place: its bare link name would address
    // the root of whatever drive is current.
    const bool bDesktopNameable = !shell.bDesktopLost && !shell.desktop.IsEmpty();

    Phase phase(record, observer);
    const CString strGroup = ReadScript(Script::kGroup);
    CString strCurrentFolder = strPrograms + "\\" + strGroup;
    phase.MakeFolder(strCurrentFolder, bProgramsNameable);

    // The current folder carries over: a shortcut goes into the latest item group before it.
    // Item groups always lie directly below the program group, never inside each other.
    const int nItems = ReadScript(Script::kItemNum);
    for (int i = 0; i < nItems; ++i) {
        CString strItemGroup = ReadScriptItem(Script::kItemGroup, i);
        if (!strItemGroup.IsEmpty()) {
            strCurrentFolder = strPrograms + "\\" + strGroup + "\\" + strItemGroup;
            phase.MakeFolder(strCurrentFolder, bProgramsNameable);
            continue;
        }

        const CString strFileName = "\\" + ReadScriptItem(Script::kItemFileName, i);
        const CString strArguments = ReadScriptItem(Script::kItemArgument, i);
        const CString strDescription = ReadScriptItem(Script::kItemDesc, i);
        const CString strLinkName = "\\" + strDescription + ".lnk";
        phase.MakeShortcut(strFileName, strDescription, strLinkName, strTargetDir, strCurrentFolder, strArguments,
                           bProgramsNameable);
        if (ReadScriptItem(Script::kItemDesktop, i) != 0)
            phase.MakeShortcut(strFileName, strDescription, strLinkName, strTargetDir, shell.desktop, strArguments,
                               bDesktopNameable);
    }
}
