// The package header layout and the rule on entry names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pack_format.h"

TEST(PackHeader, SizeIsLittleEndian)
{
    PackEntryHeader h{};
    std::memcpy(h.size, "\x10\x00\x00\x00", 4);
    EXPECT_EQ(GetEntrySize(h), 16u);
    SetEntrySize(h, 0x01020304u);
    EXPECT_EQ(std::memcmp(h.size, "\x04\x03\x02\x01", 4), 0);
    SetEntrySize(h, 0xFFFFFFFFu);
    EXPECT_EQ(GetEntrySize(h), 0xFFFFFFFFu);
}

TEST(PackHeader, NameFieldWithoutNulIsRefused)
{
    PackEntryHeader h;
    std::memset(h.name, 'a', sizeof h.name);
    EXPECT_EQ(GetEntryName(h), nullptr);
    h.name[263] = '\0';
    ASSERT_NE(GetEntryName(h), nullptr);
    EXPECT_EQ(std::strlen(GetEntryName(h)), 263u);
}

TEST(EntryNames, PlainRelativeNamesAreAccepted)
{
    for (const char* name : {"readme.txt", "a\\b\\c.txt", "data/maps/level1.dat", ".hidden", "a..b",
                             "CONSOLE.txt", "COM10", "LPT0.txt", "aux_data\\x", "x\\\\y"})
        EXPECT_TRUE(IsAcceptableEntryName(name)) << name;
}

TEST(EntryNames, NamesThatLeaveTheDestinationOrNameAnotherFileAreRefused)
{
    for (const char* name : {"", "..", "..\\x", "a\\..\\..\\x", "a/../../x", "../x", "C:\\x", "C:x",
                             "file.txt:stream", "CON", "con.txt", "a\\Nul\\b", "COM1", "lpt9.log",
                             "AUX .txt", "conout$", "dir.\\x", "x.", "x ", "a\\b ", "a\\", "a/"})
        EXPECT_FALSE(IsAcceptableEntryName(name)) << name;
    EXPECT_FALSE(IsAcceptableEntryName(nullptr));
}

TEST(PackHeader, NameIsPaddedWithNulsAndALongNameIsRefused)
{
    PackEntryHeader h;
    std::memset(h.name, 'x', sizeof h.name);
    ASSERT_TRUE(SetEntryName(h, "a\\b.txt"));
    EXPECT_STREQ(GetEntryName(h), "a\\b.txt");
    for (std::size_t i = 7; i < kPackNameField; ++i) EXPECT_EQ(h.name[i], '\0') << i;
    std::string longest(kPackMaxNameLength, 'n');
    ASSERT_TRUE(SetEntryName(h, longest.c_str()));
    EXPECT_EQ(GetEntryName(h), longest);
    EXPECT_FALSE(SetEntryName(h, (longest + "n").c_str()));
    EXPECT_EQ(GetEntryName(h), longest);
}

TEST(EntryNames, EachRefusalHasItsReason)
{
    EXPECT_EQ(CheckEntryName("a\\b.txt"), EntryNameFault::kNone);
    EXPECT_EQ(CheckEntryName(""), EntryNameFault::kEmpty);
    EXPECT_EQ(CheckEntryName("a\\"), EntryNameFault::kEmpty);
    EXPECT_EQ(CheckEntryName(std::string(264, 'a').c_str()), EntryNameFault::kTooLong);
    EXPECT_EQ(CheckEntryName(std::string(263, 'a').c_str()), EntryNameFault::kNone);
    EXPECT_EQ(CheckEntryName("C:\\x"), EntryNameFault::kColon);
    EXPECT_EQ(CheckEntryName("a\\..\\x"), EntryNameFault::kParent);
    EXPECT_EQ(CheckEntryName("lpt1.txt"), EntryNameFault::kDeviceName);
    EXPECT_EQ(CheckEntryName("dir.\\x"), EntryNameFault::kTrailingDotOrSpace);
    EXPECT_NE(std::string(DescribeEntryNameFault(EntryNameFault::kParent)).find(".."), std::string::npos);
}
