#include "shell_folders.h"

#include <gtest/gtest.h>

RegistryValuesGuard::RegistryValuesGuard(const char* keyName) : m_keyName(keyName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    m_existed = true;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &m_subKeys, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
    for (DWORD i = 0;; ++i) {
        char name[16384];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        m_values[name] = {type, std::vector<BYTE>(data, data + dataSize)};
    }
    RegCloseKey(key);
}

RegistryValuesGuard::~RegistryValuesGuard()
{
    if (!m_existed) {
        RegDeleteKeyA(HKEY_CURRENT_USER, m_keyName);
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<std::string> added;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (!m_values.count(name)) added.push_back(name);
    }
    for (const std::string& name : added) RegDeleteValueA(key, name.c_str());
    for (const auto& [name, value] : m_values)
        RegSetValueExA(key, name.c_str(), 0, value.first, value.second.data(),
                       static_cast<DWORD>(value.second.size()));
    RegCloseKey(key);
}

void SetShellFolder(const char* name, const std::string* path)
{
    for (const char* keyName : {kUserShellFolders, kShellFolders}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (path)
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path->c_str()),
                           static_cast<DWORD>(path->size() + 1));
        else
            RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

TestShellFolders::TestShellFolders(const std::string& root)
    : programs(root + "\\Programs"), desktop(root + "\\Desktop")
{
    CreateDirectoryA(programs.c_str(), nullptr);
    CreateDirectoryA(desktop.c_str(), nullptr);
    SetShellFolder("Programs", &programs);
    SetShellFolder("Desktop", &desktop);
}
