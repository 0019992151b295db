// Starting the installed program from the destination and the script's launch value.
#include <gtest/gtest.h>

#include "launch_program.h"
#include "test_support.h"

namespace {

void Install(const std::string& path)
{
    ASSERT_TRUE(CopyFileA(MarkerProgram().c_str(), path.c_str(), FALSE)) << path;
}

}  // namespace

TEST(LaunchProgram, DestinationWithSpacesIsNeverSplitOntoAPlantedProgram)
{
    ScratchDir root;
    CreateDirectoryA((root / "My Games").c_str(), nullptr);
    CreateDirectoryA((root / "My Games\\X").c_str(), nullptr);
    Install(root / "My.exe");
    Install(root / "My Games\\X\\run.exe");

    EXPECT_TRUE(LaunchProgram((root / "My Games\\X").c_str(), "run.exe -w fast"));
    ASSERT_TRUE(WaitForFile(root / "My Games\\X\\run.exe.ran"));
    EXPECT_EQ(ReadMarkerRecord(root / "My Games\\X\\run.exe").commandLine,
              "\"" + (root / "My Games\\X\\run.exe") + "\" -w fast");
    Sleep(300);
    EXPECT_FALSE(FileExists(root / "My.exe.ran"));
}

TEST(LaunchProgram, LaunchValueResolvesLikeAnUnquotedCommandLine)
{
    ScratchDir root;
    CreateDirectoryA((root / "game dir").c_str(), nullptr);
    Install(root / "game dir\\play.exe");
    Install(root / "tool.exe");

    // A launch path with spaces of its own still finds its program; its arguments pass through.
    EXPECT_TRUE(LaunchProgram(root.Path().c_str(), "game dir\\play.exe -a b"));
    ASSERT_TRUE(WaitForFile(root / "game dir\\play.exe.ran"));
    EXPECT_EQ(ReadMarkerRecord(root / "game dir\\play.exe").commandLine,
              "\"" + (root / "game dir\\play.exe") + "\" -a b");

    // ".exe" may be left out, as on a command line.
    EXPECT_TRUE(LaunchProgram(root.Path().c_str(), "tool"));
    EXPECT_TRUE(WaitForFile(root / "tool.exe.ran"));
}

TEST(LaunchProgram, NothingToStartFailsQuietly)
{
    ScratchDir root;
    EXPECT_FALSE(LaunchProgram(root.Path().c_str(), ""));          // no launch key: "dir\"
    EXPECT_FALSE(LaunchProgram(root.Path().c_str(), "missing.exe -x"));
    CreateDirectoryA((root / "bin").c_str(), nullptr);
    EXPECT_FALSE(LaunchProgram(root.Path().c_str(), "bin"));        // a folder is no program
}
