// The setup directory's files, the installation script's keys with their defaults, and the
// uninstall log's keys: what the installer reads and writes, and what the package tool makes.
// Uses nothing of Win32, so that the package tool builds it on any system.
#pragma once

namespace SetupFile {
constexpr char kInstaller[] = "setup.exe";
constexpr char kScript[] = "setup.ini";
constexpr char kPackage[] = "data.pak";
constexpr char kPicture[] = "face.bmp";
constexpr char kLog[] = "uninstall.ini";  // the template's name and the log's name alike
constexpr char kUninstaller[] = "uninstall.exe";  // installed at the top of the destination
}  // namespace SetupFile

// One key of the installation script. Item keys hold "%d" for the item number.
struct ScriptString {
    const char* section;
    const char* key;
    const char* defaultValue;
};
struct ScriptInt {
    const char* section;
    const char* key;
    int defaultValue;
};

namespace Script {
constexpr ScriptString kTitle{"main", "title", ""};
constexpr ScriptString kLocation{"main", "location", ""};
constexpr ScriptInt kNeedSpace{"main", "needspace", 0};
constexpr ScriptInt kTotalFiles{"main", "totalfiles", 0};
constexpr ScriptString kLaunch{"main", "launch", ""};
// The installed uninstaller, relative to the destination, when the package ships one (mkpak's
// build --uninstaller writes it): the product is then listed in Apps & features.
constexpr ScriptString kUninstaller{"main", "uninstaller", ""};

constexpr ScriptString kGroup{"shortcut", "group", "default group"};
constexpr ScriptInt kItemNum{"shortcut", "itemnum", 0};
constexpr ScriptString kItemGroup{"shortcut", "item%dGroup", ""};
constexpr ScriptString kItemFileName{"shortcut", "item%dFileName", "item"};
constexpr ScriptString kItemArgument{"shortcut", "item%dArgument", ""};
constexpr ScriptString kItemDesc{"shortcut", "item%dDesc", "desc"};
constexpr ScriptInt kItemDesktop{"shortcut", "item%dDesktop", 0};
}  // namespace Script

namespace UninstallLog {
constexpr char kSection[] = "files";
constexpr char kFileKey[] = "file%d";
constexpr char kFileNum[] = "filenum";
// Written by the template: the product's name as the uninstaller shows it.
constexpr char kProductSection[] = "uninstall";
constexpr char kProduct[] = "product";
// The product's entry in Apps & features, below HKEY_CURRENT_USER, logged before it is made.
constexpr char kRegistrySection[] = "registry";
constexpr char kUninstallKey[] = "uninstallkey";
}  // namespace UninstallLog
