// mkpak list and mkpak verify, on sound and on damaged packages; the command line's help.
#include <gtest/gtest.h>

#include "test_helpers.h"

namespace {

class InspectTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path product = dir / "product";
    fs::path setup = dir / "setup";
    fs::path package = setup / "data.pak";

    void SetUp() override
    {
        WriteFile(product / "a.txt", std::string(5000, 'a'));
        WriteFile(product / "b" / "noise.bin", NoiseBytes(3000, 7));
        WriteFile(product / "c.txt", "c");
        ASSERT_EQ(RunMkpakExe({"build", product.string(), setup.string()}).nExit, 0);
    }
    void Damage(std::uint64_t at, char byte)
    {
        std::string bytes = ReadFile(package);
        bytes[at] = byte;
        WriteFile(package, bytes);
    }
};

}  // namespace

TEST_F(InspectTest, ListShowsPackedAndInstalledSizes)
{
    std::vector<RawEntry> entries = SplitPackage(ReadFile(package));
    ASSERT_EQ(entries.size(), 3u);
    RunResult r = RunMkpakExe({"list", setup.string()});
    EXPECT_EQ(r.nExit, 0);
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "      packed    installed  name\n%12u         5000  a.txt\n%12u         3000  b\\noise.bin\n"
                  "%12u            1  c.txt\n",
                  entries[0].nSize, entries[1].nSize, entries[2].nSize);
    EXPECT_EQ(r.strOut, expected);
    EXPECT_EQ(RunMkpakExe({"list", package.string()}).strOut, expected);
}

TEST_F(InspectTest, VerifyPassesASoundPackageQuietly)
{
    RunResult r = RunMkpakExe({"verify", setup.string()});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, "");
    r = RunMkpakExe({"verify", "-v", setup.string()});
    EXPECT_NE(r.strOut.find("3 entries verified, 8001 bytes installed"), std::string::npos) << r.strOut;
}

TEST_F(InspectTest, VerifyNamesEachDamagedEntryWithItsOffset)
{
    std::vector<RawEntry> entries = SplitPackage(ReadFile(package));
    // A byte in the middle of the stored noise: the CRC no longer matches.
    std::uint64_t second = entries[1].nOffset;
    Damage(second + 268 + 30 + 9 + 1500, 'X');
    // A byte of the deflated data of the first entry.
    std::string data = entries[0].strData;
    Damage(entries[0].nOffset + 268 + 30 + 5 + 3, '\xFF');
    RunResult r = RunMkpakExe({"verify", setup.string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("damaged entry \"b\\noise.bin\" at offset " + std::to_string(second) + ": CRC mismatch"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find("damaged entry \"a.txt\" at offset 0: "), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strErr.find("\"c.txt\""), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("is damaged: 2 of 3 entries"), std::string::npos) << r.strErr;
    // list reads only the archives' directories, which are intact.
    EXPECT_EQ(RunMkpakExe({"list", setup.string()}).nExit, 0);
}

TEST_F(InspectTest, VerifyReportsACutPackageAndStrayBytes)
{
    std::string bytes = ReadFile(package);
    std::vector<RawEntry> entries = SplitPackage(bytes);
    WriteFile(package, bytes.substr(0, bytes.size() - 10));
    RunResult r = RunMkpakExe({"verify", setup.string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("\"c.txt\" at offset " + std::to_string(entries[2].nOffset) +
                            ": the package ends 10 bytes before the entry's data does"),
              std::string::npos)
        << r.strErr;
    WriteFile(package, bytes + "tail");
    r = RunMkpakExe({"list", setup.string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("damaged entry at offset " + std::to_string(bytes.size()) + ": 4 stray bytes"),
              std::string::npos)
        << r.strErr;
}

TEST_F(InspectTest, VerifyReportsNamesTheInstallerWouldRefuse)
{
    Damage(0, '.');
    Damage(1, '.');
    Damage(2, '\\');
    RunResult r = RunMkpakExe({"verify", setup.string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("\"..\\xt\" at offset 0: the installer refuses the name: it has a \"..\" component"),
              std::string::npos)
        << r.strErr;
}

TEST(CommandLine, HelpAndUsageErrors)
{
    RunResult help = RunMkpakExe({"--help"});
    EXPECT_EQ(help.nExit, 0);
    for (const char* command : {"build PRODUCT_FOLDER SETUP_DIR", "list PACKAGE", "verify PACKAGE"})
        EXPECT_NE(help.strOut.find(command), std::string::npos) << command;
    for (const char* command : {"build", "list", "verify"}) {
        RunResult r = RunMkpakExe({command, "--help"});
        EXPECT_EQ(r.nExit, 0);
        EXPECT_EQ(r.strOut.rfind(std::string("Usage: mkpak ") + command, 0), 0u) << r.strOut;
    }
    EXPECT_EQ(RunMkpakExe({}).nExit, 2);
    EXPECT_EQ(RunMkpakExe({"pack"}).nExit, 2);
    EXPECT_EQ(RunMkpakExe({"build", "--level", "10", "a", "b"}).nExit, 2);
    EXPECT_EQ(RunMkpakExe({"build", "--codepage", "99999", "a", "b"}).nExit, 2);
    EXPECT_EQ(RunMkpakExe({"build", "--frobnicate", "a", "b"}).nExit, 2);
    EXPECT_EQ(RunMkpakExe({"list"}).nExit, 2);
}
