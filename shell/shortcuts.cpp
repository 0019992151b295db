#include "shortcuts.h"

#include "registry_key.h"
#include "setup_files.h"
#include "shell_link.h"

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

}  // namespace

int InstallShortcuts(const CString& strDestDir, const CString& strLogPath, int nFileIndex)
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

    CString strGroup = ReadScript(Script::kGroup);
    CString strCurrentFolder = strPrograms + "\\" + strGroup;
    // A folder that exists already, or cannot be made, is logged all the same.
    CreateDirectoryA(strCurrentFolder, nullptr);
    nFileIndex = LogCreatedPath(strLogPath, nFileIndex, strCurrentFolder);

    // The current folder carries over: a shortcut goes into the latest item group before it.
    // Item groups always lie directly below the program group, never inside each other.
    int nItems = ReadScript(Script::kItemNum);
    for (int i = 0; i < nItems; ++i) {
        CString strItemGroup = ReadScriptItem(Script::kItemGroup, i);
        if (!strItemGroup.IsEmpty()) {
            strCurrentFolder = strPrograms + "\\" + strGroup + "\\" + strItemGroup;
            CreateDirectoryA(strCurrentFolder, nullptr);
            nFileIndex = LogCreatedPath(strLogPath, nFileIndex, strCurrentFolder);
            continue;
        }

        CString strFileName = ReadScriptItem(Script::kItemFileName, i);
        CString strArguments = ReadScriptItem(Script::kItemArgument, i);
        CString strDescription = ReadScriptItem(Script::kItemDesc, i);
        CString strLinkName = "\\" + strDescription + ".lnk";

        CreateShortcut("\\" + strFileName, strDescription, strLinkName, strTargetDir,
                       strCurrentFolder, strArguments);
        nFileIndex = LogCreatedPath(strLogPath, nFileIndex, strCurrentFolder + strLinkName);

        // An unread desktop folder leaves the bare link name as the desktop shortcut's path.
        if (ReadScriptItem(Script::kItemDesktop, i) != 0) {
            CreateShortcut("\\" + strFileName, strDescription, strLinkName, strTargetDir,
                           strDesktop, strArguments);
            nFileIndex = LogCreatedPath(strLogPath, nFileIndex, strDesktop + strLinkName);
        }
    }
    return nFileIndex;
}
