// The shortcut phase with the current user's "Programs" and "Desktop" shell folders pointed at the
// test's own folders (the originals are put back afterwards) and a setup.ini beside the program.
#include <gtest/gtest.h>

#include <vector>

#include "link_probe.h"
#include "setup_files.h"
#include "shell_folders.h"
#include "shortcuts.h"
#include "test_support.h"

namespace {

class ShortcutPhase : public ::testing::Test {
protected:
    ScratchDir root;
    TestShellFolders folders{root.Path()};
    ShellFoldersGuard& guard = folders.guard;
    const std::string& programs = folders.programs;
    const std::string& desktop = folders.desktop;
    std::string dest = root / "Dest";
    std::string log = dest + "\\uninstall.ini";
    std::string script = TestProgramDir() + SetupFile::kScript;

    void SetUp() override
    {
        CreateDirectoryA(dest.c_str(), nullptr);
    }
    void TearDown() override { DeleteFileA(script.c_str()); }

    void WriteScript(const std::string& text) { WriteWholeFile(script, text); }

    std::vector<std::string> LoggedFrom(int first) { return LoggedPaths(log, first); }
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

// With no desktop folder a desktop shortcut has no place: its bare link name would address the
// root of the current drive (the test makes that the prefix's own C:), outside everything the
// uninstaller may remove. It is neither made nor listed.
TEST_F(ShortcutPhase, ADesktopShortcutWithoutADesktopFolderIsNotMade)
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

    EXPECT_EQ(next, 2);
    EXPECT_EQ(LoggedFrom(0), (Paths{programs + "\\G", programs + "\\G\\" + desc + ".lnk"}));
    EXPECT_FALSE(madeAtRoot);
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
