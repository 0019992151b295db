// Entry names: the code page, the characters Windows cannot hold and the installer's own rule.
#include <gtest/gtest.h>

#include "entry_names.h"

namespace {

std::string Name(const std::vector<std::string>& components, unsigned codePage = 1252)
{
    std::string name, why;
    return MakeEntryName(components, codePage, name, why) ? name : "refused: " + why;
}

}  // namespace

TEST(EntryName, ComponentsJoinWithBackslash)
{
    EXPECT_EQ(Name({"readme.txt"}), "readme.txt");
    EXPECT_EQ(Name({"data", "maps", "level1.dat"}), "data\\maps\\level1.dat");
}

TEST(EntryName, NonAsciiIsConvertedToTheCodePage)
{
    EXPECT_EQ(Name({"caf\xC3\xA9", "r\xC3\xA9sum\xC3\xA9.txt"}), "caf\xE9\\r\xE9sum\xE9.txt");
    // "ő" exists in Central European 1250 (0xF5) but not in Western 1252.
    EXPECT_EQ(Name({"\xC5\x91.txt"}, 1250), "\xF5.txt");
    EXPECT_EQ(Name({"\xC5\x91.txt"}, 1252), "refused: cannot be written in code page 1252");
    // No best-fit substitute: "ā" must not quietly become "a".
    EXPECT_EQ(Name({"\xC4\x81.txt"}), "refused: cannot be written in code page 1252");
    // Japanese in 932: "日本" is 93 FA 96 7B.
    EXPECT_EQ(Name({"\xE6\x97\xA5\xE6\x9C\xAC.txt"}, 932), "\x93\xFA\x96\x7B.txt");
}

TEST(EntryName, DoubleByteTrailBackslashIsRefused)
{
    // "表" is 95 5C in code page 932: the installer would split the name at its second byte.
    std::string why = Name({"\xE8\xA1\xA8.txt"}, 932);
    EXPECT_NE(why.find("folder separator"), std::string::npos) << why;
}

TEST(EntryName, NamesWindowsOrTheInstallerRefuseCarryTheirReason)
{
    struct Case {
        std::vector<std::string> components;
        const char* reason;
    };
    for (const Case& c : std::vector<Case>{
             {{"..", "x"}, "\"..\" component"},
             {{"a:b.txt"}, "colon"},
             {{"CON"}, "reserved device name"},
             {{"sub", "nul.txt"}, "reserved device name"},
             {{"Com1.log"}, "reserved device name"},
             {{"x."}, "dot or a space"},
             {{"dir ", "x"}, "dot or a space"},
             {{"what?.txt"}, "character '?'"},
             {{"a\\b.txt"}, "character '\\'"},
             {{"tab\there"}, "control character 0x09"},
             {{"a<b"}, "character '<'"},
         }) {
        std::string result = Name(c.components);
        EXPECT_NE(result.find(c.reason), std::string::npos) << result;
        EXPECT_EQ(result.rfind("refused: ", 0), 0u) << result;
    }
}

TEST(EntryName, LengthLimitIs263BytesAfterConversion)
{
    EXPECT_EQ(Name({std::string(150, 'a'), std::string(112, 'b')}).size(), 263u);
    EXPECT_NE(Name({std::string(150, 'a'), std::string(113, 'b')}).find("263 bytes a package name holds (264 bytes)"), std::string::npos);
    // 131 two-byte UTF-8 characters are 131 bytes in 1252: the limit counts stored bytes.
    std::string e;
    for (int i = 0; i < 131; ++i) e += "\xC3\xA9";
    EXPECT_EQ(Name({std::string(131, 'a'), e}).size(), 263u);
}

TEST(EntryName, FoldingMakesCaseVariantsEqualAndLeavesOtherBytes)
{
    EXPECT_EQ(FoldEntryName("Data/README.TXT"), FoldEntryName("data/readme.txt"));
    EXPECT_NE(FoldEntryName("\xC3\x89.txt"), FoldEntryName("\xC3\xA9.txt"));
}
