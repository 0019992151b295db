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
