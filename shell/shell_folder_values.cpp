#include "shell_folder_values.h"

#include "registry_key.h"

namespace {

constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// RegQueryValueExA gives "?" for a letter that the code page cannot write, without a word: the
// wide value says whether one was lost.
bool LostInCodePage(LPCWSTR valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // UTF-8 writes every character (and takes no default character to tell of one it cannot).
    if (GetACP() == CP_UTF8) return false;
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, buffer, -1, nullptr, 0, nullptr, &usedDefault);
    return usedDefault != FALSE;
}

}  // namespace

ShellFolders ReadShellFolders()
{
    ShellFolders folders;
    CRegistryKey key;
    key.SetRootKey(HKEY_CURRENT_USER);
    if (key.Open(kShellFoldersKey, FALSE)) {
        folders.programs = key.ReadString("Programs", "");
        folders.desktop = key.ReadString("Desktop", "");
    }
    folders.bProgramsLost = !folders.programs.IsEmpty() && LostInCodePage(L"Programs");
    folders.bDesktopLost = !folders.desktop.IsEmpty() && LostInCodePage(L"Desktop");
    return folders;
}
