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

// Remembers every value of the Shell Folders key and puts them back (recreating the key when a
// test removed it, and dropping values that a test added).
class ShellFoldersGuard {
public:
    ShellFoldersGuard();
    ~ShellFoldersGuard();
    ShellFoldersGuard(const ShellFoldersGuard&) = delete;
    ShellFoldersGuard& operator=(const ShellFoldersGuard&) = delete;

    bool Existed() const { return m_existed; }
    DWORD SubKeys() const { return m_subKeys; }

private:
    bool m_existed = false;
    DWORD m_subKeys = 0;
    std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> m_values;
};

// Sets the shell folder `name` to `path`, or removes the value when `path` is null.
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
