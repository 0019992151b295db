// The shortcut phase with the current user's "Programs" and "Desktop" shell folders pointed at the
// test's own folders (the originals are put back afterwards) and a setup.ini beside the program.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "link_probe.h"
#include "setup_files.h"
#include "shortcuts.h"
#include "test_support.h"

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Remembers every value of the Shell Folders key and puts them back (recreating the key when a
// test removed it, and dropping values that a test added).
class ShellFoldersGuard {
public:
    ShellFoldersGuard()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, &key) != ERROR_SUCCESS)
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
    ~ShellFoldersGuard()
    {
        if (!m_existed) {
            RegDeleteKeyA(HKEY_CURRENT_USER, kShellFolders);
            return;
        }
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
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
    ShellFoldersGuard(const ShellFoldersGuard&) = delete;
    ShellFoldersGuard& operator=(const ShellFoldersGuard&) = delete;

    bool Existed() const { return m_existed; }
    DWORD SubKeys() const { return m_subKeys; }

private:
    bool m_existed = false;
    DWORD m_subKeys = 0;
    std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> m_values;
};

void SetShellFolder(const char* name, const std::string* path)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (path)
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path->c_str()),
                       static_cast<DWORD>(path->size() + 1));
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

class ShortcutPhase : public ::testing::Test {
protected:
    ShellFoldersGuard guard;
    ScratchDir root;
    std::string programs = root / "Programs";
    std::string desktop = root / "Desktop";
    std::string dest = root / "Dest";
    std::string log = dest + "\\uninstall.ini";
    std::string script = TestProgramDir() + SetupFile::kScript;

    void SetUp() override
    {
        for (const std::string* dir : {&programs, &desktop, &dest})
            CreateDirectoryA(dir->c_str(), nullptr);
        SetShellFolder("Programs", &programs);
        SetShellFolder("Desktop", &desktop);
    }
    void TearDown() override { DeleteFileA(script.c_str()); }

    void WriteScript(const std::string& text) { WriteWholeFile(script, text); }

    std::string Logged(int index)
    {
        char key[32], value[MAX_PATH] = "";
        wsprintfA(key, "file%d", index);
        GetPrivateProfileStringA("files", key, "<none>", value, MAX_PATH, log.c_str());
        return value;
    }
    // The entries from `first` on, up to the first missing one.
    std::vector<std::string> LoggedFrom(int first)
    {
        std::vector<std::string> entries;
        for (int i = first;; ++i) {
            std::string value = Logged(i);
            if (value == "<none>") return entries;
            entries.push_back(value);
        }
    }
};

using Paths = std::vector<std::string>;

}  // namespace

TEST_F(ShortcutPhase, GroupItemsItemGroupAndDesktopShortcutFollowTheFilePhase)
{
    WriteScript(
        "[shortcut]\r\ngroup=Game\r\nitemnum=3\r\n"
        "item0FileName=bin\\game.exe\r\nitem0Argument=-w\r\nitem0Desc=Play\r\nitem0Desktop=1\r\n"
        "item1Group=Tools\r\n"
        "item2FileName=setup.exe\r\nitem2Desc=Setup\r\n");
    int index = 0;
    for (const char* file : {"a", "b", "c"})
        index = LogCreatedPath(log.c_str(), index, (dest + "\\" + file).c_str());

    EXPECT_EQ(InstallShortcuts((dest + "\\").c_str(), log.c_str(), index), 8);

    std::string game = programs + "\\Game";
    EXPECT_EQ(LoggedFrom(0),
              (Paths{dest + "\\a", dest + "\\b", dest + "\\c", game, game + "\\Play.lnk",
                     desktop + "\\Play.lnk", game + "\\Tools", game + "\\Tools\\Setup.lnk"}));
    EXPECT_TRUE(DirectoryExists(game + "\\Tools"));

    for (const std::string& path : {game + "\\Play.lnk", desktop + "\\Play.lnk"})
        EXPECT_EQ(ReadLink(path), CreatedLink(dest + "\\bin\\game.exe", "-w", dest, "Play"));
    EXPECT_EQ(ReadLink(game + "\\Tools\\Setup.lnk"),
              CreatedLink(dest + "\\setup.exe", "", dest, "Setup"));
}

TEST_F(ShortcutPhase, WithoutAShortcutSectionOnlyTheDefaultGroupIsMade)
{
    WriteScript("[main]\r\ntitle=Quenthary\r\n");
    EXPECT_EQ(InstallShortcuts(dest.c_str(), log.c_str(), 5), 6);
    EXPECT_EQ(LoggedFrom(5), (Paths{programs + "\\default group"}));
    EXPECT_TRUE(DirectoryExists(programs + "\\default group"));
}

TEST_F(ShortcutPhase, AnItemNumberOfZeroOrLessMakesNoItems)
{
    for (const char* count : {"0", "-2"}) {
        SCOPED_TRACE(count);
        WriteScript(std::string("[shortcut]\r\ngroup=G\r\nitemnum=") + count +
                    "\r\nitem0FileName=x.exe\r\nitem0Desc=X\r\nitem0Desktop=1\r\n");
        DeleteFileA(log.c_str());
        EXPECT_EQ(InstallShortcuts(dest.c_str(), log.c_str(), 0), 1);
        EXPECT_EQ(LoggedFrom(0), (Paths{programs + "\\G"}));
        EXPECT_FALSE(FileExists(programs + "\\G\\X.lnk"));
        EXPECT_FALSE(FileExists(desktop + "\\X.lnk"));
    }
}

// Without a Programs folder (the key cannot be opened, or the value is empty) the group goes into
// the destination, whose trailing backslash is dropped once.
TEST_F(ShortcutPhase, WithoutAProgramsFolderTheGroupGoesIntoTheDestination)
{
    if (guard.SubKeys() != 0)
        GTEST_SKIP() << "the Shell Folders key has sub-keys; it is left alone";
    WriteScript("[shortcut]\r\nitemnum=1\r\nitem0FileName=run.exe\r\nitem0Desc=Run\r\n");
    std::string group = dest + "\\default group";

    const std::string empty;
    SetShellFolder("Programs", &empty);
    EXPECT_EQ(InstallShortcuts((dest + "\\").c_str(), log.c_str(), 0), 2);
    EXPECT_EQ(LoggedFrom(0), (Paths{group, group + "\\Run.lnk"}));

    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kShellFolders), ERROR_SUCCESS);
    DeleteFileA(log.c_str());
    DeleteFileA((group + "\\Run.lnk").c_str());
    EXPECT_EQ(InstallShortcuts((dest + "\\").c_str(), log.c_str(), 0), 2);
    EXPECT_EQ(LoggedFrom(0), (Paths{group, group + "\\Run.lnk"}));

    EXPECT_EQ(ReadLink(group + "\\Run.lnk"), CreatedLink(dest + "\\run.exe", "", dest, "Run"));
}

// Item groups lie directly below the program group and carry over to later items; an item group
// makes no shortcut even when it asks for a desktop one.
TEST_F(ShortcutPhase, ItemGroupsInARowAreSiblingsAndTheLatestHoldsTheNextShortcut)
{
    WriteScript("[shortcut]\r\ngroup=Game\r\nitemnum=3\r\n"
                "item0Group=A\r\nitem0Desktop=1\r\nitem0Desc=NotMade\r\n"
                "item1Group=B\r\n"
                "item2FileName=s.exe\r\nitem2Desc=S\r\n");
    std::string game = programs + "\\Game";
    EXPECT_EQ(InstallShortcuts(dest.c_str(), log.c_str(), 0), 4);
    EXPECT_EQ(LoggedFrom(0), (Paths{game, game + "\\A", game + "\\B", game + "\\B\\S.lnk"}));
    EXPECT_TRUE(DirectoryExists(game + "\\A"));
    EXPECT_TRUE(FileExists(game + "\\B\\S.lnk"));
    EXPECT_FALSE(FileExists(desktop + "\\NotMade.lnk"));
}

TEST_F(ShortcutPhase, AnItemWithoutKeysMakesDescLnkPointingAtItem)
{
    WriteScript("[shortcut]\r\nitemnum=1\r\n");
    std::string group = programs + "\\default group";
    EXPECT_EQ(InstallShortcuts(dest.c_str(), log.c_str(), 0), 2);
    EXPECT_EQ(LoggedFrom(0), (Paths{group, group + "\\desc.lnk"}));
    EXPECT_EQ(ReadLink(group + "\\desc.lnk"), CreatedLink(dest + "\\item", "", dest, "desc"));
}

TEST_F(ShortcutPhase, TwoItemsWithTheSameDescriptionShareOnePathAndBothAreLogged)
{
    WriteScript("[shortcut]\r\ngroup=G\r\nitemnum=2\r\n"
                "item0FileName=first.exe\r\nitem0Desc=Same\r\n"
                "item1FileName=second.exe\r\nitem1Desc=Same\r\n");
    std::string link = programs + "\\G\\Same.lnk";
    EXPECT_EQ(InstallShortcuts(dest.c_str(), log.c_str(), 0), 3);
    EXPECT_EQ(LoggedFrom(0), (Paths{programs + "\\G", link, link}));
    EXPECT_EQ(ReadLink(link), CreatedLink(dest + "\\second.exe", "", dest, "Same"));
}

// With no desktop folder the desktop shortcut's path is the bare link name, which addresses the
// root of the current drive; the test makes that drive the prefix's own C:.
TEST_F(ShortcutPhase, ADesktopShortcutWithoutADesktopFolderUsesTheBareLinkName)
{
    std::string desc = "quenthary-desktop-" + std::to_string(GetCurrentProcessId());
    WriteScript("[shortcut]\r\ngroup=G\r\nitemnum=1\r\nitem0Desc=" + desc +
                "\r\nitem0Desktop=1\r\n");
    SetShellFolder("Desktop", nullptr);

    char saved[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    int next = InstallShortcuts(dest.c_str(), log.c_str(), 0);
    bool madeAtRoot = FileExists("C:\\" + desc + ".lnk");
    DeleteFileA(("C:\\" + desc + ".lnk").c_str());
    SetCurrentDirectoryA(saved);

    EXPECT_EQ(next, 3);
    EXPECT_EQ(LoggedFrom(0), (Paths{programs + "\\G", programs + "\\G\\" + desc + ".lnk",
                                    "\\" + desc + ".lnk"}));
    EXPECT_TRUE(madeAtRoot);
}

// A group whose parent folder is missing cannot be made, and neither can the shortcuts meant for
// it or for a missing desktop folder: every one of them is logged all the same.
TEST_F(ShortcutPhase, FoldersAndShortcutsThatCannotBeMadeAreLoggedAllTheSame)
{
    std::string noDesktop = root / "NoSuchDesktop";
    SetShellFolder("Desktop", &noDesktop);
    WriteScript("[shortcut]\r\ngroup=Missing\\Game\r\nitemnum=1\r\n"
                "item0FileName=game.exe\r\nitem0Desc=Play\r\nitem0Desktop=1\r\n");
    std::string group = programs + "\\Missing\\Game";
    EXPECT_EQ(InstallShortcuts(dest.c_str(), log.c_str(), 0), 3);
    EXPECT_EQ(LoggedFrom(0), (Paths{group, group + "\\Play.lnk", noDesktop + "\\Play.lnk"}));
    EXPECT_FALSE(DirectoryExists(group));
    EXPECT_FALSE(FileExists(noDesktop + "\\Play.lnk"));
}
