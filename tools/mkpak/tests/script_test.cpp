// The installation script's package keys: set in place, every other byte kept.
#include <gtest/gtest.h>

#include "setup_script.h"

namespace {

std::string Set(const std::string& text)
{
    return SetIniKeys(text, "main", MakePackageKeys(12, 34));
}

}  // namespace

TEST(ScriptKeys, ExistingKeysChangeInPlaceAndEveryOtherLineStays)
{
    std::string text =
        "; Quenthary\r\n[shortcut]\r\ntotalfiles=keep\r\n\r\n[Main]\r\ntitle=Quenthary Setup\r\n"
        "NeedSpace = 1\r\n; totalfiles=9\r\nTotalFiles=3\r\n  \r\n[other]\r\nx=y";
    EXPECT_EQ(Set(text),
              "; Quenthary\r\n[shortcut]\r\ntotalfiles=keep\r\n\r\n[Main]\r\ntitle=Quenthary Setup\r\n"
              "NeedSpace =34\r\n; totalfiles=9\r\nTotalFiles=12\r\n  \r\n[other]\r\nx=y");
}

TEST(ScriptKeys, MissingKeysGoAfterTheSectionsLastLineInTheFilesLineEnding)
{
    EXPECT_EQ(Set("[main]\ntitle=T\n\n[shortcut]\ngroup=G\n"),
              "[main]\ntitle=T\ntotalfiles=12\nneedspace=34\n\n[shortcut]\ngroup=G\n");
    EXPECT_EQ(Set("[main]\r\ntitle=T"), "[main]\r\ntitle=T\r\ntotalfiles=12\r\nneedspace=34\r\n");
    EXPECT_EQ(Set("[main]\r\nneedspace=1\r\n"), "[main]\r\nneedspace=34\r\ntotalfiles=12\r\n");
}

TEST(ScriptKeys, MissingSectionOrFileIsCreated)
{
    EXPECT_EQ(Set(""), "[main]\r\ntotalfiles=12\r\nneedspace=34\r\n");
    EXPECT_EQ(Set("[shortcut]\ngroup=G"), "[shortcut]\ngroup=G\n[main]\ntotalfiles=12\nneedspace=34\n");
}

TEST(ScriptKeys, OnlyTheFirstSectionOfThatNameIsTheOneWindowsReads)
{
    EXPECT_EQ(Set("[main]\ntotalfiles=1\n[main]\ntotalfiles=2\n"),
              "[main]\ntotalfiles=12\nneedspace=34\n[main]\ntotalfiles=2\n");
}

TEST(ScriptKeys, AByteOrderMarkStaysFirstAndDoesNotHideTheFirstSection)
{
    EXPECT_EQ(Set("\xEF\xBB\xBF[main]\r\ntotalfiles=1\r\n"), "\xEF\xBB\xBF[main]\r\ntotalfiles=12\r\nneedspace=34\r\n");
    EXPECT_EQ(Set("\xEF\xBB\xBF"), "\xEF\xBB\xBF[main]\r\ntotalfiles=12\r\nneedspace=34\r\n");
}

TEST(NeedSpace, RoundsUpToMiBWithClustersAndTheLargestArchive)
{
    constexpr std::uint64_t kMiB = 1024 * 1024;
    EXPECT_EQ(ComputeNeedSpaceMiB({}, 0), 0u);
    EXPECT_EQ(ComputeNeedSpaceMiB({1}, 0), 1u);
    EXPECT_EQ(ComputeNeedSpaceMiB({kMiB}, 0), 1u);
    EXPECT_EQ(ComputeNeedSpaceMiB({kMiB + 1}, 0), 2u);
    EXPECT_EQ(ComputeNeedSpaceMiB({kMiB}, 1), 2u);
    // 256 one-byte files fill 256 clusters of 4 KiB: exactly 1 MiB; one more needs a second MiB.
    EXPECT_EQ(ComputeNeedSpaceMiB(std::vector<std::uint64_t>(256, 1), 0), 1u);
    EXPECT_EQ(ComputeNeedSpaceMiB(std::vector<std::uint64_t>(257, 1), 0), 2u);
    EXPECT_EQ(ComputeNeedSpaceMiB({3 * kMiB, 5 * kMiB}, 5 * kMiB + 200), 14u);
}
