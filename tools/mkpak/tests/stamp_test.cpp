// The stamp as mkpak makes and checks it: build --complete stamps setup.exe, verify names the first
// input that differs from it, stamp puts in a new one; a signed setup.exe is never stamped, and a
// signing command that fails leaves the setup directory as it was.
#include <gtest/gtest.h>

#include <functional>

#include "test_helpers.h"

namespace {

class StampTest : public ::testing::Test {
public:  // the table's changes reach in
    TempDir dir;
    fs::path product = dir / "product";
    fs::path setup = dir / "setup";
    fs::path installer = dir / "built" / "setup.exe";

    void SetUp() override
    {
        WriteFile(product / "a.txt", "first");
        WriteFile(product / "b" / "noise.bin", NoiseBytes(3000, 7));
        WriteFile(product / "c.txt", "last");
        WriteFile(installer, MinimalProgram("installer"));
    }
    RunResult Build(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"build", "--complete", "--setup-exe", installer.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(product.string());
        args.push_back(setup.string());
        return RunMkpakExe(args);
    }
    // The package rebuilt from its entries, in the order given by `indices`.
    void Repack(const std::vector<RawEntry>& entries, const std::vector<std::size_t>& indices)
    {
        const std::string package = ReadFile(setup / "data.pak");
        std::string bytes;
        for (std::size_t i : indices) bytes += package.substr(entries[i].nOffset, 268 + entries[i].nSize);
        WriteFile(setup / "data.pak", bytes);
    }
    void FlipByte(const fs::path& file, std::size_t at)
    {
        std::string bytes = ReadFile(file);
        bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
        WriteFile(file, bytes);
    }
    std::map<std::string, std::string> Snapshot()
    {
        std::map<std::string, std::string> files;
        if (fs::exists(setup))
            for (const auto& entry : fs::directory_iterator(setup))
                files[entry.path().filename().string()] = ReadFile(entry.path());
        return files;
    }
};

}  // namespace

TEST_F(StampTest, VerifyNamesTheFirstInputThatDiffersUntilItIsStampedAgain)
{
    const struct {
        const char* what;
        std::function<void(StampTest&)> change;
        const char* named;
    } cases[] = {
        {"a byte of the script", [](StampTest& t) { t.FlipByte(t.setup / "setup.ini", 3); }, "setup.ini"},
        {"a byte of the log template", [](StampTest& t) { t.FlipByte(t.setup / "uninstall.ini", 2); }, "uninstall.ini"},
        {"a byte of the picture", [](StampTest& t) { t.FlipByte(t.setup / "face.bmp", 2000); }, "face.bmp"},
        {"the picture removed", [](StampTest& t) { fs::remove(t.setup / "face.bmp"); }, "face.bmp"},
        {"a byte of the middle entry",
         [](StampTest& t) {
             const RawEntry middle = SplitPackage(ReadFile(t.setup / "data.pak"))[1];
             t.FlipByte(t.setup / "data.pak", middle.nOffset + 268 + middle.nSize / 2);
         },
         "data.pak: b\\noise.bin"},
        {"an entry added",
         [](StampTest& t) {
             const std::vector<RawEntry> e = SplitPackage(ReadFile(t.setup / "data.pak"));
             t.Repack(e, {0, 1, 2, 0});
         },
         "data.pak: a.txt"},
        {"an entry removed",
         [](StampTest& t) { t.Repack(SplitPackage(ReadFile(t.setup / "data.pak")), {0, 2}); },
         "data.pak: c.txt"},
        {"the last entry removed",
         [](StampTest& t) { t.Repack(SplitPackage(ReadFile(t.setup / "data.pak")), {0, 1}); },
         "data.pak: c.txt"},
        {"two entries swapped",
         [](StampTest& t) { t.Repack(SplitPackage(ReadFile(t.setup / "data.pak")), {1, 0, 2}); },
         "data.pak: b\\noise.bin"},
        {"bytes after the last entry",
         [](StampTest& t) { WriteFile(t.setup / "data.pak", ReadFile(t.setup / "data.pak") + "tail"); }, "data.pak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(setup);
        ASSERT_EQ(Build().nExit, 0);
        ASSERT_EQ(RunMkpakExe({"verify", setup.string()}).nExit, 0);
        c.change(*this);
        RunResult r = RunMkpakExe({"verify", setup.string()});
        EXPECT_EQ(r.nExit, 1);
        EXPECT_NE(r.strErr.find(std::string("differs from its stamp: ") + c.named + "\n"), std::string::npos)
            << r.strErr;
        // Stamped again, the directory agrees with its stamp (a damaged entry still fails its CRC).
        RunResult stamped = RunMkpakExe({"stamp", setup.string()});
        ASSERT_EQ(stamped.nExit, 0) << stamped.strErr;
        RunResult again = RunMkpakExe({"verify", setup.string()});
        EXPECT_EQ(again.strErr.find("differs from its stamp"), std::string::npos) << again.strErr;
    }
}

// A build without --complete over a stamped setup directory stamps its installer anew, so that
// the installer accepts the package just written; and a file in the way of the new ones leaves
// the directory as it was.
TEST_F(StampTest, ABuildOverAStampedDirectoryStampsItAnewOrChangesNothing)
{
    ASSERT_EQ(Build().nExit, 0);
    WriteFile(product / "c.txt", "changed");
    ASSERT_EQ(RunMkpakExe({"build", product.string(), setup.string()}).nExit, 0);
    RunResult verified = RunMkpakExe({"verify", setup.string()});
    EXPECT_EQ(verified.nExit, 0) << verified.strErr;

    // The old setup.exe cannot step aside (a folder holds its place) after data.pak and setup.ini
    // did: they come back, and nothing new stays.
    WriteFile(product / "c.txt", "changed again");
    fs::create_directories(setup / "setup.exe.previous" / "in the way");
    const auto before = Snapshot();
    RunResult blocked = RunMkpakExe({"build", product.string(), setup.string()});
    EXPECT_EQ(blocked.nExit, 1);
    EXPECT_NE(blocked.strErr.find("cannot write"), std::string::npos) << blocked.strErr;
    EXPECT_EQ(Snapshot(), before) << "the directory is as it was";
}

TEST_F(StampTest, ACutPackageCannotBeStamped)
{
    ASSERT_EQ(Build().nExit, 0);
    const std::string package = ReadFile(setup / "data.pak");
    WriteFile(setup / "data.pak", package.substr(0, package.size() - 10));
    const std::string before = ReadFile(setup / "setup.exe");
    RunResult r = RunMkpakExe({"stamp", setup.string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("is cut short"), std::string::npos) << r.strErr;
    EXPECT_EQ(ReadFile(setup / "setup.exe"), before);
}

TEST_F(StampTest, ASignedInstallerIsNeverStamped)
{
    WriteFile(installer, MinimalProgram("signed installer", 0x200, 0x10));
    RunResult built = Build();
    EXPECT_EQ(built.nExit, 1);
    EXPECT_NE(built.strErr.find("is signed already"), std::string::npos) << built.strErr;
    EXPECT_FALSE(fs::exists(setup)) << "nothing of the build is left";

    WriteFile(installer, MinimalProgram("installer"));
    ASSERT_EQ(Build().nExit, 0);
    WriteFile(setup / "setup.exe", MinimalProgram("signed by hand", 0x200, 0x10));
    RunResult stamped = RunMkpakExe({"stamp", setup.string()});
    EXPECT_EQ(stamped.nExit, 1);
    EXPECT_NE(stamped.strErr.find("stamp the unsigned program, then sign it"), std::string::npos) << stamped.strErr;
    EXPECT_EQ(ReadFile(setup / "setup.exe"), MinimalProgram("signed by hand", 0x200, 0x10));
}

TEST_F(StampTest, ASigningCommandThatFailsLeavesTheSetupDirectoryAsItWas)
{
    const fs::path uninstaller = dir / "built" / "uninstall.exe";
    WriteFile(uninstaller, MinimalProgram("uninstaller"));
    const struct {
        const char* command;
        const char* said;
    } cases[] = {
        {"echo cannot reach the key >&2; exit 3", "the signing command failed on \"uninstall.exe\" with exit status 3"},
        {"cp {in} {out}", "the signing command left \"uninstall.exe\" unsigned"},
        {"true {in}", "the signing command left \"uninstall.exe\" unsigned"},
        {"true {out}", "the signing command wrote no signed program for \"uninstall.exe\""},
    };
    for (bool existing : {false, true}) {
        fs::remove_all(setup);
        if (existing) {
            ASSERT_EQ(Build().nExit, 0);
        }
        const auto before = Snapshot();
        for (const auto& c : cases) {
            SCOPED_TRACE(c.command);
            RunResult r = Build({"--uninstall-exe", uninstaller.string(), "--sign", c.command});
            EXPECT_EQ(r.nExit, 1);
            EXPECT_NE(r.strErr.find(std::string(c.said) + "; nothing written"), std::string::npos) << r.strErr;
            EXPECT_EQ(Snapshot(), before) << "no file added, changed or left half made";
            EXPECT_EQ(fs::exists(setup), existing);
        }
    }
    // The command's own output is shown.
    EXPECT_NE(Build({"--sign", "echo cannot reach the key >&2; exit 3"}).strErr.find("cannot reach the key"),
              std::string::npos);
}
