// The current user's shell folder paths ("Programs", "Desktop", ...) that the shortcut phase reads
// from the registry, pointed at a test's own folders and put back afterwards. Test programs that
// use them share the resource lock "shell_folders".
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Wine's shell copies these into Shell Folders whenever a folder is looked up (its desktop process
// does so when a program shows its first window), so a test points both at its folders.
constexpr char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Remembers every value of one registry key below HKEY_CURRENT_USER and puts them back
// (recreating the key when a test removed it, and dropping values that a test added).
class RegistryValuesGuard {
public:
    explicit RegistryValuesGuard(const char* keyName);
    ~RegistryValuesGuard();
    RegistryValuesGuard(const RegistryValuesGuard&) = delete;
    RegistryValuesGuard& operator=(const RegistryValuesGuard&) = delete;

    DWORD SubKeys() const { return m_subKeys; }

private:
    const char* m_keyName;
    bool m_existed = false;
    DWORD m_subKeys = 0;
    std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> m_values;
};

// Both shell folder keys, put back as they were.
class ShellFoldersGuard {
public:
    DWORD SubKeys() const { return m_shellFolders.SubKeys(); }

private:
    RegistryValuesGuard m_shellFolders{kShellFolders};
    RegistryValuesGuard m_userShellFolders{kUserShellFolders};
};

// Sets the shell folder `name` to `path` in both keys, or removes the value when `path` is null.
void SetShellFolder(const char* name, const std::string* path);

// "Programs" and "Desktop" pointed at the folders of those names below `root` (made here) for the
// object's life.
class TestShellFolders {
public:
    explicit TestShellFolders(const std::string& root);

    ShellFoldersGuard guard;
    const std::string programs;
    const std::string desktop;
};
