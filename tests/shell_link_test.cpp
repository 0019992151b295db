// Shortcut files saved by CShellLink and CreateShortcut, loaded back through the shell's own
// link object and checked in the file's header.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <thread>

#include "link_probe.h"
#include "shell_link.h"
#include "test_support.h"

namespace {

// Folders of a scratch tree, without trailing backslash.
struct LinkFolders {
    ScratchDir root;
    std::string games = root / "Games";
    std::string menu = root / "Menu";
    LinkFolders()
    {
        CreateDirectoryA(games.c_str(), nullptr);
        CreateDirectoryA(menu.c_str(), nullptr);
        WriteWholeFile(games + "\\app.exe", "MZ");
        WriteWholeFile(games + "\\icons.dll", "MZ");
    }
};

int FilesIn(const std::string& dir)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

CShellLinkInfo FullRecord(const LinkFolders& f)
{
    CShellLinkInfo info;
    info.m_strTarget = (f.games + "\\app.exe").c_str();
    info.m_strArguments = "-w --level 3";
    info.m_strDescription = "Play the game";
    info.m_wHotkey = MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT);
    info.m_strIconPath = (f.games + "\\icons.dll").c_str();
    info.m_nIconIndex = 3;
    info.m_nShowCmd = SW_SHOWMINNOACTIVE;
    info.m_strWorkingDir = f.games.c_str();
    return info;
}

}  // namespace

TEST(CreateShortcut, SavesTargetWorkingDirectoryIconArgumentsAndNormalWindow)
{
    LinkFolders f;
    ASSERT_EQ(
        CreateShortcut("\\app.exe", "Play", "\\Play.lnk", f.games.c_str(), f.menu.c_str(), "-w"),
        1);
    EXPECT_EQ(ReadLink(f.menu + "\\Play.lnk"),
              CreatedLink(f.games + "\\app.exe", "-w", f.games, "Play"));
}

TEST(CreateShortcut, RefusesAnEmptyTargetOrAnEmptyLinkPath)
{
    LinkFolders f;
    EXPECT_EQ(CreateShortcut("", "Play", "\\Play.lnk", "", f.menu.c_str(), ""), 0);
    EXPECT_EQ(FilesIn(f.menu), 0);
    EXPECT_EQ(CreateShortcut("\\app.exe", "Play", "", f.games.c_str(), "", ""), 0);
}

// The link path is converted into MAX_PATH UTF-16 units, terminator included. One unit more must
// not be cut into the name of another file.
TEST(CreateShortcut, ALinkPathBeyondMaxPathIsRefusedNotCutShort)
{
    LinkFolders f;
    std::string folder = f.menu;
    auto nameFor = [&](size_t total) {
        return "\\" + std::string(total - folder.size() - 1 - 4, 'n') + ".lnk";
    };
    std::string fits = nameFor(MAX_PATH - 1);
    ASSERT_EQ((folder + fits).size(), size_t(MAX_PATH - 1));
    EXPECT_EQ(CreateShortcut("\\app.exe", "d", fits.c_str(), f.games.c_str(), folder.c_str(), ""),
              1);
    EXPECT_TRUE(FileExists(folder + fits));

    std::string tooLong = nameFor(MAX_PATH);
    EXPECT_EQ(
        CreateShortcut("\\app.exe", "d", tooLong.c_str(), f.games.c_str(), folder.c_str(), ""), 0);
    EXPECT_EQ(FilesIn(folder), 1);
}

TEST(ShellLink, SavesEveryFieldOfTheRecordAndEmptyOnesOverwriteEarlierOnes)
{
    LinkFolders f;
    CShellLink link;
    ASSERT_TRUE(link.SetLinkInfo(FullRecord(f)));
    ASSERT_TRUE(link.Save((f.menu + "\\full.lnk").c_str()));

    EXPECT_EQ(ReadLink(f.menu + "\\full.lnk"),
              (LinkContents{true, f.games + "\\app.exe", "-w --level 3", f.games, "Play the game",
                            f.games + "\\icons.dll", 3, SW_SHOWMINNOACTIVE,
                            MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT)}));

    // The same link object with a record of empty texts: nothing of the first record survives.
    CShellLinkInfo bare;
    bare.m_strTarget = (f.games + "\\app.exe").c_str();
    ASSERT_TRUE(link.SetLinkInfo(bare));
    ASSERT_TRUE(link.Save((f.menu + "\\bare.lnk").c_str()));
    EXPECT_EQ(ReadLink(f.menu + "\\bare.lnk"),
              (LinkContents{true, f.games + "\\app.exe", "", "", "", "", 0, SW_SHOW, 0}));
}

TEST(ShellLink, SaveRefusesADefaultRecordAndInitKeepsItsLinkObject)
{
    LinkFolders f;
    CShellLink link;
    EXPECT_TRUE(link.Init());
    EXPECT_TRUE(link.Init());
    EXPECT_FALSE(link.Save((f.menu + "\\none.lnk").c_str()));
    EXPECT_EQ(FilesIn(f.menu), 0);
}

TEST(ShellLink, AnIdListTakesThePlaceOfTheTargetPath)
{
    LinkFolders f;
    CShellLinkInfo info;
    info.m_pidl = ILCreateFromPathA((f.games + "\\icons.dll").c_str());
    ASSERT_NE(info.m_pidl, nullptr);
    info.m_strTarget = (f.games + "\\app.exe").c_str();

    CShellLink link;
    ASSERT_TRUE(link.SetLinkInfo(info));
    ASSERT_TRUE(link.Save((f.menu + "\\pidl.lnk").c_str()));
    LinkContents saved = ReadLink(f.menu + "\\pidl.lnk");
    ASSERT_TRUE(saved.loaded);
    EXPECT_EQ(saved.target, f.games + "\\icons.dll");
}

TEST(ShellLinkInfo, CopiesOwnTheirIdListsSoNoListIsFreedTwice)
{
    LinkFolders f;
    CShellLinkInfo source = FullRecord(f);
    source.m_pidl = ILCreateFromPathA((f.games + "\\app.exe").c_str());
    ASSERT_NE(source.m_pidl, nullptr);

    CShellLinkInfo assigned;
    assigned = source;
    CShellLinkInfo copied(source);
    for (const CShellLinkInfo* copy : {&assigned, &copied}) {
        ASSERT_NE(copy->m_pidl, nullptr);
        EXPECT_NE(copy->m_pidl, source.m_pidl);
        EXPECT_TRUE(ILIsEqual(copy->m_pidl, source.m_pidl));
        EXPECT_EQ(copy->m_strTarget, source.m_strTarget);
        EXPECT_EQ(copy->m_strArguments, source.m_strArguments);
        EXPECT_EQ(copy->m_strDescription, source.m_strDescription);
        EXPECT_EQ(copy->m_wHotkey, source.m_wHotkey);
        EXPECT_EQ(copy->m_strIconPath, source.m_strIconPath);
        EXPECT_EQ(copy->m_nIconIndex, 3);
        EXPECT_EQ(copy->m_nShowCmd, SW_SHOWMINNOACTIVE);
        EXPECT_EQ(copy->m_strWorkingDir, source.m_strWorkingDir);
    }

    LPITEMIDLIST before = assigned.m_pidl;
    assigned = assigned;
    EXPECT_EQ(assigned.m_pidl, before);

    // A record without a list replaces (and frees) the list of the one it is assigned to.
    assigned = CShellLinkInfo();
    EXPECT_EQ(assigned.m_pidl, nullptr);
    EXPECT_EQ(assigned.m_nShowCmd, SW_SHOW);
}

// Every Init initialises COM on the calling thread and nothing uninitialises it: after a shortcut
// the thread is still in its apartment.
TEST(ShellLink, ComStaysInitialisedOnTheThreadAfterAShortcut)
{
    LinkFolders f;
    int saved = -1;
    HRESULT again = E_FAIL;
    std::thread worker([&] {
        saved =
            CreateShortcut("\\app.exe", "Play", "\\Play.lnk", f.games.c_str(), f.menu.c_str(), "");
        again = CoInitialize(nullptr);
    });
    worker.join();
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(again, S_FALSE);
}
