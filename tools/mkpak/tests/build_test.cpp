// mkpak build, run as a vendor runs it: the package's bytes, names, order and archives, the
// script's keys, refusals and the complete setup directory.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_helpers.h"

namespace {

class BuildTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path product = dir / "product";
    fs::path setup = dir / "setup";

    void SetUp() override
    {
        WriteFile(product / "readme.txt", "Quenthary\n");
        std::string text;
        for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i % 10) + " of the manual\n";
        WriteFile(product / "docs" / "manual.txt", text);
        WriteFile(product / "bin" / "game.dat", NoiseBytes(70000, 1));
        WriteFile(product / "empty", "");
    }
    RunResult Build(std::vector<std::string> extra = {})
    {
        extra.insert(extra.begin(), "build");
        extra.push_back(product.string());
        extra.push_back(setup.string());
        return RunMkpakExe(extra);
    }
    std::vector<RawEntry> Entries() { return SplitPackage(ReadFile(setup / "data.pak")); }
};

}  // namespace

TEST_F(BuildTest, EntriesAreCompleteArchivesInByteOrderOfTheirNames)
{
    WriteFile(product / "Zebra.txt", "z");
    WriteFile(product / "a b.txt", "ab");
    WriteFile(product / "a_.txt", "a_");
    WriteFile(product / "a" / "z.txt", "az");
    ASSERT_EQ(Build().nExit, 0);
    std::vector<RawEntry> entries = Entries();
    std::vector<std::string> names;
    for (const RawEntry& e : entries) names.push_back(e.strName);
    // "\" (5C) sorts after "." (2E) and upper case, before "_" (5F) and lower case.
    EXPECT_EQ(names, (std::vector<std::string>{"Zebra.txt", "a b.txt", "a\\z.txt", "a_.txt", "bin\\game.dat",
                                               "docs\\manual.txt", "empty", "readme.txt"}));
    std::string package = ReadFile(setup / "data.pak");
    const RawEntry& last = entries.back();
    EXPECT_EQ(last.nOffset + 268 + last.nSize, package.size());
    for (const RawEntry& e : entries) {
        EXPECT_TRUE(e.bPaddedWithNul) << e.strName;
        ZipMember member = UnzipFirstMember(e.strData, dir.Path());
        ASSERT_TRUE(member.bOk) << e.strName;
        EXPECT_EQ(member.nMembers, 1);
        std::string relative = e.strName;
        for (char& c : relative)
            if (c == '\\') c = '/';
        EXPECT_EQ(member.strContent, ReadFile(product / relative)) << e.strName;
        EXPECT_EQ(member.nDosDate, 0x00210000ul) << "1980-01-01 00:00:00";
    }
}

TEST_F(BuildTest, DeflatesWhatShrinksAndStoresTheRest)
{
    ASSERT_EQ(Build().nExit, 0);
    for (const RawEntry& e : Entries()) {
        ZipMember member = UnzipFirstMember(e.strData, dir.Path());
        int expected = e.strName == "docs\\manual.txt" ? 8 : 0;  // noise, a short text, an empty file
        EXPECT_EQ(member.nMethod, expected) << e.strName;
    }
    ASSERT_EQ(Build({"--level", "0"}).nExit, 0);
    for (const RawEntry& e : Entries()) EXPECT_EQ(UnzipFirstMember(e.strData, dir.Path()).nMethod, 0) << e.strName;
}

TEST_F(BuildTest, SameInputGivesTheSameBytes)
{
    ASSERT_EQ(Build().nExit, 0);
    std::string first = ReadFile(setup / "data.pak");
    // Other times and another folder, same names and contents.
    fs::path copy = dir / "copy";
    fs::copy(product, copy, fs::copy_options::recursive);
    fs::last_write_time(copy / "readme.txt", fs::file_time_type::clock::now() - std::chrono::hours(50));
    fs::path setup2 = dir / "setup2";
    ASSERT_EQ(RunMkpakExe({"build", copy.string(), setup2.string()}).nExit, 0);
    EXPECT_EQ(ReadFile(setup2 / "data.pak"), first);
    ASSERT_EQ(Build().nExit, 0);
    EXPECT_EQ(ReadFile(setup / "data.pak"), first);
}

TEST_F(BuildTest, NamesAreStoredInTheCodePageTheInstallerReads)
{
    WriteFile(product / "caf\xC3\xA9" / "\xC3\xA9t\xC3\xA9.txt", "e");
    // Without an installer, and with one built to run in UTF-8: UTF-8; with one built for the
    // machine's code page: 1252, or the code page given.
    const std::string utf8Manifest = "MZ...<activeCodePage xmlns=\"x\">UTF-8</activeCodePage>...";
    struct Case {
        const char* installer;  // the setup.exe kept in the setup directory; nullptr for none
        std::vector<std::string> options;
        const char* stored;     // nullptr: refused
    } cases[] = {
        {nullptr, {}, "caf\xC3\xA9\\\xC3\xA9t\xC3\xA9.txt"},
        {nullptr, {"--codepage", "1252"}, "caf\xE9\\\xE9t\xE9.txt"},
        {utf8Manifest.c_str(), {}, "caf\xC3\xA9\\\xC3\xA9t\xC3\xA9.txt"},
        {utf8Manifest.c_str(), {"--codepage", "utf-8"}, "caf\xC3\xA9\\\xC3\xA9t\xC3\xA9.txt"},
        {utf8Manifest.c_str(), {"--codepage", "1252"}, nullptr},
        {"MZ...<dpiAware>true/pm</dpiAware>...", {}, "caf\xE9\\\xE9t\xE9.txt"},
        {"MZ...<dpiAware>true/pm</dpiAware>...", {"--codepage", "utf-8"}, nullptr},
        // The element's name among a program's own strings is no declaration.
        {"MZ...\"<activeCodePage\" \"</activeCodePage>\" UTF-8...", {}, "caf\xE9\\\xE9t\xE9.txt"},
    };
    for (const Case& c : cases) {
        fs::remove(setup / "setup.exe");
        if (c.installer) WriteFile(setup / "setup.exe", c.installer);
        RunResult r = Build(c.options);
        if (!c.stored) {
            EXPECT_EQ(r.nExit, 1) << c.installer;
            EXPECT_NE(r.strErr.find("the installer"), std::string::npos) << r.strErr;
            continue;
        }
        ASSERT_EQ(r.nExit, 0) << r.strErr;
        EXPECT_EQ(Entries()[1].strName, c.stored) << (c.installer ? c.installer : "no installer");
        std::vector<std::string> listing = c.options;
        listing.insert(listing.begin(), "list");
        listing.push_back(setup.string());
        RunResult list = RunMkpakExe(listing);
        EXPECT_NE(list.strOut.find("  caf\xC3\xA9\\\xC3\xA9t\xC3\xA9.txt\n"), std::string::npos) << list.strOut;
    }
    // An uninstaller built for another code page than the installer is refused.
    WriteFile(dir / "utf8.exe", utf8Manifest);
    WriteFile(dir / "system.exe", "MZ...");
    RunResult mixed = Build({"--setup-exe", (dir / "utf8.exe").string(), "--uninstall-exe", (dir / "system.exe").string()});
    EXPECT_EQ(mixed.nExit, 1);
    EXPECT_NE(mixed.strErr.find("built for different code pages"), std::string::npos) << mixed.strErr;
    fs::remove(setup / "setup.exe");
    fs::remove_all(product / "caf\xC3\xA9");
    WriteFile(product / "\xC5\x91.txt", "o");
    ASSERT_EQ(Build({"--codepage", "1250"}).nExit, 0);
    EXPECT_EQ(Entries()[0].strName, "bin\\game.dat");
    EXPECT_EQ(Entries().back().strName, "\xF5.txt");
    RunResult list = RunMkpakExe({"list", "--codepage", "1250", setup.string()});
    EXPECT_NE(list.strOut.find("  \xC5\x91.txt\n"), std::string::npos) << list.strOut;
}

TEST_F(BuildTest, AScriptOrTemplateThatIsNotUtf8IsRefusedWithItsLine)
{
    const fs::path script = dir / "script.ini", logTemplate = dir / "template.ini";
    for (bool isScript : {true, false}) {
        WriteFile(script, "[main]\r\ntitle=Caf\xC3\xA9\r\n");
        WriteFile(logTemplate, "\xEF\xBB\xBF[uninstall]\r\nproduct=Caf\xC3\xA9\r\n");
        WriteFile(isScript ? script : logTemplate, "[main]\r\n\r\ntitle=Caf\xE9\r\n");
        RunResult r = Build({"--script", script.string(), "--uninstall", logTemplate.string()});
        EXPECT_EQ(r.nExit, 1);
        EXPECT_NE(r.strErr.find(isScript ? "the script is not UTF-8 at line 3" : "template.ini\" is not UTF-8 at line 3"),
                  std::string::npos) << r.strErr;
        EXPECT_FALSE(fs::exists(setup / "data.pak"));
        // For an installer that reads the machine's code page, the same bytes are that code page's.
        EXPECT_EQ(Build({"--codepage", "1252", "--script", script.string(), "--uninstall", logTemplate.string()}).nExit, 0);
        fs::remove_all(setup);
    }
}

TEST_F(BuildTest, RefusedNamesAreAllReportedAndNothingIsWritten)
{
    WriteFile(setup / "data.pak", "old package");
    WriteFile(setup / "setup.ini", "[main]\r\ntotalfiles=1\r\n");
    WriteFile(product / "sub" / "a:b.txt", "x");
    WriteFile(product / "CON.txt", "x");
    WriteFile(product / "trailing.", "x");
    WriteFile(product / "what?.txt", "x");
    WriteFile(product / "\xC5\x91.txt", "x");
    WriteFile(product / "README.TXT", "x");
    WriteFile(product / std::string(140, 'd') / std::string(140, 'f'), "x");
    RunResult r = Build({"--codepage", "1252"});
    EXPECT_EQ(r.nExit, 1);
    for (const char* named : {"\"sub/a:b.txt\": the name holds a colon", "\"CON.txt\": the name has a component that is a reserved",
                              "\"trailing.\"", "\"what?.txt\"", "\"\xC5\x91.txt\": the name cannot be written in code page 1252",
                              "Windows takes it for the same file as", "a package name holds (281 bytes)", "7 file(s) refused"})
        EXPECT_NE(r.strErr.find(named), std::string::npos) << named << "\n" << r.strErr;
    EXPECT_EQ(ReadFile(setup / "data.pak"), "old package");
    EXPECT_EQ(ReadFile(setup / "setup.ini"), "[main]\r\ntotalfiles=1\r\n");
    EXPECT_FALSE(fs::exists(setup / "data.pak.partial"));
}

TEST_F(BuildTest, FileOverFourGiBIsRefusedBeforeAnythingIsRead)
{
    fs::path big = product / "huge.bin";
    WriteFile(big, "");
    fs::resize_file(big, (1ull << 32));  // sparse: one byte over the size field's limit
    RunResult r = Build();
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("\"huge.bin\": 4294967296 bytes is more than a package entry holds"), std::string::npos)
        << r.strErr;
    EXPECT_FALSE(fs::exists(setup / "data.pak"));
}

TEST_F(BuildTest, LargeFileStreamsThroughFixedMemory)
{
    fs::path big = product / "big.bin";
    WriteFile(big, "");
    fs::resize_file(big, 300ull << 20);
    RunResult r = Build();
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_LT(r.nMaxRssKiB, 40 * 1024) << "peak memory while packing 300 MiB";
    RunResult verify = RunMkpakExe({"verify", setup.string()});
    EXPECT_EQ(verify.nExit, 0) << verify.strErr;
    EXPECT_LT(verify.nMaxRssKiB, 40 * 1024) << "peak memory while verifying 300 MiB";
}

TEST_F(BuildTest, ScriptKeysAreSetAndOtherLinesKept)
{
    WriteFile(setup / "setup.ini", "[main]\r\ntitle=Quenthary\r\ntotalfiles=99\r\n[shortcut]\r\nitemnum=0\r\n");
    ASSERT_EQ(Build().nExit, 0);
    // 4 files in 4 KiB clusters plus the largest archive: well under 1 MiB.
    EXPECT_EQ(ReadFile(setup / "setup.ini"),
              "[main]\r\ntitle=Quenthary\r\ntotalfiles=4\r\nneedspace=1\r\n[shortcut]\r\nitemnum=0\r\n");
    fs::remove(setup / "setup.ini");
    WriteFile(product / "more.bin", NoiseBytes(1 << 20, 2));
    ASSERT_EQ(Build().nExit, 0);
    // 1 MiB of noise, stored, lies beside its file while unpacked: 3 MiB.
    EXPECT_EQ(ReadFile(setup / "setup.ini"), "[main]\r\ntotalfiles=5\r\nneedspace=3\r\n");
}

TEST_F(BuildTest, QuietUnlessATerminalOrAsked)
{
    RunResult quiet = Build();
    EXPECT_EQ(quiet.nExit, 0);
    EXPECT_EQ(quiet.strOut, "");
    EXPECT_EQ(quiet.strErr, "");
    RunResult verbose = Build({"-v"});
    EXPECT_NE(verbose.strOut.find("data.pak: 4 files"), std::string::npos) << verbose.strOut;
    EXPECT_NE(verbose.strOut.find("setup.ini: totalfiles=4 needspace=1"), std::string::npos) << verbose.strOut;

    // On a terminal the summary appears unasked.
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl(MKPAK_EXE, MKPAK_EXE, "build", product.c_str(), setup.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string screen;
    char buffer[4096];
    ssize_t n;
    while ((n = read(master, buffer, sizeof buffer)) > 0) screen.append(buffer, static_cast<size_t>(n));
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(screen.find("4 files"), std::string::npos) << screen;
}

TEST_F(BuildTest, CompleteSetupDirectoryNeedsAnInstallerAndFillsInDefaults)
{
    WriteFile(product / "game.exe", "MZ game");
    RunResult missing = Build({"--complete", "--setup-exe", (dir / "nowhere.exe").string()});
    EXPECT_EQ(missing.nExit, 1);
    EXPECT_NE(missing.strErr.find("nowhere.exe\" is no file"), std::string::npos) << missing.strErr;
    EXPECT_FALSE(fs::exists(setup / "data.pak"));

    const std::string installer = MinimalProgram("installer");
    WriteFile(dir / "built" / "setup.exe", installer);
    ASSERT_EQ(Build({"--complete", "--setup-exe", (dir / "built" / "setup.exe").string()}).nExit, 0);
    std::string placed = ReadFile(setup / "setup.exe");
    placed.replace(0x98, 4, 4, '\0');  // the checksum, set with the stamp
    EXPECT_EQ(placed.substr(0, installer.size()), installer) << "the installer, its stamp behind it";
    EXPECT_EQ(ReadFile(setup / "uninstall.ini"), "[uninstall]\r\n");
    EXPECT_EQ(ReadFile(setup / "setup.ini"),
              "[main]\r\ntitle=product Setup\r\nlocation=C:\\product\r\nlaunch=game.exe\r\ntotalfiles=5\r\n"
              "needspace=1\r\n[shortcut]\r\ngroup=product\r\nitemnum=1\r\nitem0FileName=game.exe\r\n"
              "item0Desc=product\r\n");
    std::string face = ReadFile(setup / "face.bmp");
    ASSERT_GE(face.size(), 54u);
    EXPECT_EQ(face.substr(0, 2), "BM");
    auto le32 = [&](size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(face[at]) |
                                          static_cast<unsigned char>(face[at + 1]) << 8 |
                                          static_cast<unsigned char>(face[at + 2]) << 16 |
                                          static_cast<unsigned char>(face[at + 3]) << 24);
    };
    EXPECT_EQ(le32(2), face.size());
    EXPECT_EQ(le32(18), 400u);
    EXPECT_EQ(le32(22), 60u);
    EXPECT_EQ(le32(10) + 1200 * 60, face.size());

    // A vendor's own files are kept on a second run; given ones replace them.
    WriteFile(setup / "face.bmp", "vendor picture");
    WriteFile(dir / "my.ini", "[uninstall]\r\nname=Q\r\n");
    ASSERT_EQ(Build({"--complete", "--setup-exe", (dir / "built" / "setup.exe").string(), "--uninstall",
                     (dir / "my.ini").string()})
                  .nExit,
              0);
    EXPECT_EQ(ReadFile(setup / "face.bmp"), "vendor picture");
    EXPECT_EQ(ReadFile(setup / "uninstall.ini"), "[uninstall]\r\nname=Q\r\n");
}

TEST_F(BuildTest, SetupDirectoryInsideTheProductFolderIsRefused)
{
    RunResult r = RunMkpakExe({"build", product.string(), (product / "out").string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("lies inside the product folder"), std::string::npos) << r.strErr;
    EXPECT_FALSE(fs::exists(product / "out"));
}

TEST_F(BuildTest, UninstallerIsPackedAtTheTopOfTheProductInPackageOrder)
{
    fs::path uninstaller = dir / "built" / "uninstall.exe";
    WriteFile(uninstaller, MinimalProgram("uninstaller"));
    WriteFile(product / "zebra.txt", "after it");
    ASSERT_EQ(Build({"--uninstall-exe", uninstaller.string()}).nExit, 0) << "--uninstall-exe implies --uninstaller";
    std::vector<std::string> names;
    for (const RawEntry& e : Entries()) {
        names.push_back(e.strName);
        if (e.strName == "uninstall.exe") {
            EXPECT_EQ(UnzipFirstMember(e.strData, dir.Path()).strContent, MinimalProgram("uninstaller"));
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"bin\\game.dat", "docs\\manual.txt", "empty", "readme.txt",
                                               "uninstall.exe", "zebra.txt"}));
    EXPECT_NE(ReadFile(setup / "setup.ini").find("totalfiles=6\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(product / "uninstall.exe")) << "the product folder is only read";

    // A default script gets a shortcut to it after the product's own program.
    fs::remove(setup / "setup.ini");
    WriteFile(product / "game.exe", "MZ game");
    ASSERT_EQ(Build({"--complete", "--setup-exe", uninstaller.string(), "--uninstaller", "--uninstall-exe",
                     uninstaller.string()})
                  .nExit,
              0);
    EXPECT_NE(ReadFile(setup / "setup.ini")
                  .find("launch=game.exe\r\ntotalfiles=7\r\nneedspace=1\r\nuninstaller=uninstall.exe\r\n"
                        "[shortcut]\r\ngroup=product\r\n"
                        "itemnum=2\r\nitem0FileName=game.exe\r\nitem0Desc=product\r\n"
                        "item1FileName=uninstall.exe\r\nitem1Desc=Uninstall product\r\n"),
              std::string::npos)
        << ReadFile(setup / "setup.ini");
}

TEST_F(BuildTest, UninstallerIsRefusedOverTheProductsOwnFileAndNothingIsWritten)
{
    fs::path uninstaller = dir / "built" / "uninstall.exe";
    WriteFile(uninstaller, "MZ uninstaller");
    ASSERT_EQ(Build().nExit, 0);
    const std::string package = ReadFile(setup / "data.pak");
    const std::string script = ReadFile(setup / "setup.ini");

    WriteFile(product / "Uninstall.EXE", "the vendor's own");
    RunResult r = Build({"--uninstaller", "--uninstall-exe", uninstaller.string()});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("\"Uninstall.EXE\" of its own"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("no package written"), std::string::npos) << r.strErr;
    EXPECT_EQ(ReadFile(setup / "data.pak"), package);
    EXPECT_EQ(ReadFile(setup / "setup.ini"), script);
    // Without the option the product's own file is packed as any other.
    ASSERT_EQ(Build().nExit, 0);
    EXPECT_EQ(Entries().front().strName, "Uninstall.EXE");

    RunResult missing = Build({"--uninstall-exe", (dir / "nowhere.exe").string()});
    EXPECT_EQ(missing.nExit, 1);
    EXPECT_NE(missing.strErr.find("nowhere.exe\" is no file"), std::string::npos) << missing.strErr;
}
