// The uninstaller's two judgements, without running it: what it reads from a log (against the
// platform's own GetPrivateProfileStringA on the same file, for lines that are easy to read
// wrongly), and which logged paths it may remove.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "log_contents.h"
#include "removal.h"
#include "test_support.h"

namespace {

using Entries = std::vector<std::pair<int, std::string>>;

struct Reading {
    bool bReadable = false;
    std::string product;
    bool bHasCount = false;
    Entries entries;
};

std::ostream& operator<<(std::ostream& out, const Reading& r)
{
    out << (r.bReadable ? "readable" : "unreadable") << ", product \"" << r.product << "\", "
        << (r.bHasCount ? "with" : "without") << " filenum, entries:";
    for (const auto& [index, path] : r.entries) out << " " << index << "=\"" << path << "\"";
    return out;
}

bool operator==(const Reading& a, const Reading& b)
{
    return a.bReadable == b.bReadable && a.product == b.product && a.bHasCount == b.bHasCount &&
           a.entries == b.entries;
}

// What an uninstaller that looks every key up through the profile functions would find.
Reading PlatformReading(const std::string& path, int upTo = 100)
{
    Reading r;
    r.bReadable = FileExists(path);
    std::vector<char> buffer(1 << 17);
    auto read = [&](const char* section, const std::string& key, const char* fallback) {
        GetPrivateProfileStringA(section, key.c_str(), fallback, buffer.data(), static_cast<DWORD>(buffer.size()),
                                 path.c_str());
        return std::string(buffer.data());
    };
    r.product = read("uninstall", "product", "");
    r.bHasCount = read("files", "filenum", "<none>") != "<none>";
    const int count = r.bHasCount ? static_cast<int>(GetPrivateProfileIntA("files", "filenum", 0, path.c_str())) : upTo;
    for (int i = 0; i < count && i < upTo; ++i) {
        std::string value = read("files", "file" + std::to_string(i), "<none>");
        if (value == "<none>") {
            if (!r.bHasCount) break;
            continue;
        }
        if (!value.empty()) r.entries.emplace_back(i, value);
    }
    return r;
}

Reading OurReading(const std::string& path)
{
    Reading r;
    LogContents contents;
    r.bReadable = ReadLogContents(path.c_str(), contents);
    r.product = contents.product;
    r.bHasCount = contents.bHasCount;
    for (const LogEntry& e : contents.entries) r.entries.emplace_back(e.index, e.path);
    return r;
}

// Both readings of a log holding `bytes`, which must agree; returns ours.
Reading ReadBoth(const std::string& bytes, int upTo = 100)
{
    ScratchDir dir;
    std::string path = dir / "uninstall.ini";
    WriteWholeFile(path, bytes);
    Reading ours = OurReading(path);
    EXPECT_EQ(ours, PlatformReading(path, upTo)) << "the log:\n" << bytes;
    return ours;
}

TEST(UninstallLogReading, AnInstallersLogReadsAsThePlatformReadsIt)
{
    Reading r = ReadBoth("[uninstall]\r\nproduct=Quenthary Deluxe\r\n[files]\r\nfile0=C:\\Games\\Q\\a.txt\r\n"
                         "file1=C:\\Games\\Q\\\\b.txt\r\nfile2=C:\\Programs\\Q\r\nfilenum=3\r\n");
    EXPECT_EQ(r.product, "Quenthary Deluxe");
    EXPECT_TRUE(r.bHasCount);
    EXPECT_EQ(r.entries.size(), 3u);
}

TEST(UninstallLogReading, WithoutFilenumTheEntriesEndAtTheFirstMissingKey)
{
    EXPECT_EQ(ReadBoth("[files]\r\nfile0=a\r\nfile1=b\r\nfile3=d\r\n").entries.size(), 2u);
    // With it a missing one is passed over, and keys at or past it are not entries.
    EXPECT_EQ(ReadBoth("[files]\r\nfile0=a\r\nfile2=c\r\nfile3=d\r\nfilenum=3\r\n").entries,
              (Entries{{0, "a"}, {2, "c"}}));
    EXPECT_TRUE(ReadBoth("[files]\r\nfile0=a\r\nfilenum=0\r\n").entries.empty());
    ReadBoth("[files]\r\nfile0=a\r\nfile1=b\r\nfilenum= 1 more\r\n");
    ReadBoth("[files]\r\nfile0=a\r\nfilenum=-2\r\n");
    // Keys in another order than the installer's.
    EXPECT_EQ(ReadBoth("[files]\r\nfile1=b\r\nfile0=a\r\nfilenum=2\r\n").entries, (Entries{{0, "a"}, {1, "b"}}));
}

TEST(UninstallLogReading, SectionsAndKeysMatchWithoutCaseAndTrimmed)
{
    EXPECT_EQ(ReadBoth(" [ Files ] \r\n \tFILE0 \t= \t C:\\x y \t\r\nFile1=b\r\n").entries,
              (Entries{{0, "C:\\x y"}, {1, "b"}}));
    // Whatever follows the header's "]" is ignored; names differing in their digits are other keys.
    ReadBoth("[files] ; the log\r\nfile0=a\r\nfile01=no\r\nfile+1=no\r\nfile 1=no\r\nfile1=b\r\n");
    ReadBoth("[UnInstall]\r\n  product  =  Spaced Name  \r\n[files]\r\nfile0=a\r\n");
}

TEST(UninstallLogReading, TheFirstLineOfAKeyAndTheFirstSectionOfANameWin)
{
    EXPECT_EQ(ReadBoth("[files]\r\nfile0=first\r\nfile0=second\r\nfile1=b\r\n").entries,
              (Entries{{0, "first"}, {1, "b"}}));
    EXPECT_EQ(ReadBoth("[files]\r\nfile0=a\r\n[other]\r\nfile1=x\r\n[files]\r\nfile1=b\r\nfilenum=2\r\n").entries,
              (Entries{{0, "a"}}));
    EXPECT_EQ(ReadBoth("[uninstall]\r\nname=x\r\n[uninstall]\r\nproduct=Later\r\n").product, "");
}

TEST(UninstallLogReading, CommentsQuotesAndKeysWithoutValues)
{
    EXPECT_EQ(ReadBoth("[files]\r\n;file0=no\r\nfile0=yes\r\n").entries, (Entries{{0, "yes"}}));
    ReadBoth("[files]\r\nfile0=\"C:\\quoted\"\r\nfile1='C:\\single'\r\nfile2=\"unbalanced\r\nfile3=\"\"\r\n"
             "file4=\"C:\\M\xfc" "ller\\\"in\".txt\"\r\nfile5=\"\r\nfile6=x\r\n");
    // A key line without "=" reads as missing, and hides a later line of the same key.
    EXPECT_TRUE(ReadBoth("[files]\r\nfile0\r\nfile0=late\r\nfile1=b\r\n").entries.empty());
    EXPECT_EQ(ReadBoth("[files]\r\nfile0\r\nfile1=b\r\nfilenum=2\r\n").entries, (Entries{{1, "b"}}));
    ReadBoth("[files]\r\nfile0=a\r\nfilenum\r\nfile1=b\r\n");
    // A "[" without "]" is a key line, not a header.
    ReadBoth("[uninstall]\r\n[files\r\nproduct=P\r\n[files]\r\nfile0=a\r\n");
    ReadBoth("[files]\r\nfile0=\r\nfile1=b\r\n");
}

TEST(UninstallLogReading, LineEndsAndAByteOrderMark)
{
    EXPECT_EQ(ReadBoth("[files]\nfile0=a\nfile1=b").entries.size(), 2u);
    EXPECT_EQ(ReadBoth("[files]\rfile0=a\rfile1=b\r").entries.size(), 2u);
    EXPECT_EQ(ReadBoth("[files]\r\n\r\n\r\nfile0=a\n\rfile1=b\r\n\x1a").entries.size(), 2u);
    EXPECT_EQ(ReadBoth("\xEF\xBB\xBF[files]\r\nfile0=a\r\n").entries.size(), 1u);
    EXPECT_TRUE(ReadBoth("").entries.empty());
}

// Lines that straddle the reader's 64 KiB reads, a CR LF split between two reads among them.
TEST(UninstallLogReading, LinesAcrossReadsAreWhole)
{
    std::string log = "[uninstall]\r\nproduct=Big\r\n[files]\r\n";
    int n = 0;
    auto add = [&](const std::string& value) { log += "file" + std::to_string(n++) + "=" + value + "\r\n"; };
    while (log.size() < 65536 - 300) add("C:\\Games\\Big\\data\\file" + std::to_string(n) + ".dat");
    // The next line's CR lands on the last byte of the first read.
    std::string head = "file" + std::to_string(n) + "=";
    add(std::string(65535 - log.size() - head.size(), 'x'));
    ASSERT_EQ(log[65535], '\r');
    ASSERT_EQ(log[65536], '\n');
    add(std::string(70000, 'L'));  // longer than one read
    while (log.size() < 200000) add("C:\\Games\\Big\\more\\file" + std::to_string(n) + ".dat");
    log += "filenum=" + std::to_string(n) + "\r\n";
    Reading r = ReadBoth(log, n);
    EXPECT_EQ(static_cast<int>(r.entries.size()), n);
}

TEST(UninstallLogReading, AMissingLogIsUnreadable)
{
    ScratchDir dir;
    LogContents contents;
    EXPECT_FALSE(ReadLogContents((dir / "uninstall.ini").c_str(), contents));
    EXPECT_FALSE(ReadLogContents(dir.Path().c_str(), contents)) << "a folder of that name";
}

// --- Which paths the uninstaller may remove -----------------------------------------------------

using Verdict = CRemovalScope::Verdict;

class RemovalScope : public ::testing::Test {
protected:
    CRemovalScope scope{"C:\\Games\\Quenthary", "C:\\users\\me\\Start Menu\\Programs", "C:\\users\\me\\Desktop"};

    Verdict Judge(const std::string& path)
    {
        std::string full;
        return scope.Judge(path, full);
    }
};

TEST_F(RemovalScope, InsideTheDestinationAndTheShellFolders)
{
    std::string full;
    EXPECT_EQ(scope.Judge("C:\\Games\\Quenthary\\bin\\game.exe", full), Verdict::kInside);
    EXPECT_EQ(full, "C:\\Games\\Quenthary\\bin\\game.exe");
    // The destination typed with a trailing backslash doubles it in the log.
    EXPECT_EQ(scope.Judge("C:\\Games\\Quenthary\\\\bin\\game.exe", full), Verdict::kInside);
    EXPECT_EQ(full, "C:\\Games\\Quenthary\\bin\\game.exe");
    EXPECT_EQ(Judge("c:\\GAMES\\quenthary\\readme.txt"), Verdict::kInside);
    EXPECT_EQ(Judge("C:/Games/Quenthary/readme.txt"), Verdict::kInside);
    EXPECT_EQ(Judge("C:\\Games\\Quenthary\\.\\readme.txt"), Verdict::kInside);
    EXPECT_EQ(Judge("C:\\users\\me\\Start Menu\\Programs\\Quenthary"), Verdict::kShellFolder);
    EXPECT_EQ(Judge("C:\\users\\me\\Start Menu\\Programs\\Quenthary\\Play.lnk"), Verdict::kShellFolder);
    EXPECT_EQ(Judge("C:\\users\\me\\Desktop\\Play.lnk"), Verdict::kShellFolder);
}

TEST_F(RemovalScope, TheFoldersThemselvesAreNeverEntries)
{
    for (const char* root : {"C:\\Games\\Quenthary", "C:\\Games\\Quenthary\\", "c:\\games\\quenthary\\\\",
                             "C:\\users\\me\\Start Menu\\Programs\\", "C:\\users\\me\\Desktop"})
        EXPECT_EQ(Judge(root), Verdict::kRoot) << root;
}

TEST_F(RemovalScope, EverythingElseIsRefused)
{
    for (const char* path : {
             "C:\\Games\\QuentharyX\\file.txt",         // a sibling whose name begins alike
             "C:\\Games\\Quenth",                       // a prefix of the destination
             "C:\\Games",                               // above it
             "C:\\Windows\\win.ini",                    // anywhere else
             "C:\\users\\me\\Desktop2\\x.lnk",
             "C:\\Games\\Quenthary\\bin\\..\\mine.txt",  // ".." even where it ends up inside
             "C:\\Games\\Quenthary\\..\\Other\\x",
             "C:\\Games\\Quenthary\\.. \\x",
             "C:\\Games\\Quenthary\\...\\x",
             "C:\\Games\\Quenthary\\NUL",              // devices
             "C:\\Games\\Quenthary\\con.txt",
             "C:\\Games\\Quenthary\\COM1\\x",
             "C:\\Games\\Quenthary\\lpt9.log",
             "C:\\Games\\Quenthary\\x.txt:stream",      // an alternate data stream
             "\\\\?\\C:\\Games\\Quenthary\\x",          // the device namespaces
             "\\\\.\\C:\\Games\\Quenthary\\x",
             "Games\\Quenthary\\x",                    // relative to wherever the uninstaller runs
             "C:Games\\Quenthary\\x",
             "\\Games\\Quenthary\\x",
         })
        EXPECT_EQ(Judge(path), Verdict::kRefused) << path;
    EXPECT_EQ(Judge("C:\\Games\\Quenthary\\" + std::string(300, 'x')), Verdict::kRefused) << "beyond MAX_PATH";
}

TEST(RemovalScopeFolders, WithoutShellFoldersOnlyTheDestinationCounts)
{
    CRemovalScope scope("C:\\Games\\Quenthary", "", "");
    std::string full;
    EXPECT_EQ(scope.Judge("C:\\users\\me\\Desktop\\Play.lnk", full), Verdict::kRefused);
    EXPECT_EQ(scope.Judge("C:\\Games\\Quenthary\\x", full), Verdict::kInside);
}

TEST(RemovalScopeFolders, ADestinationAtTheRootOfADrive)
{
    CRemovalScope scope("D:", "", "");
    std::string full;
    EXPECT_EQ(scope.Judge("D:\\game.exe", full), Verdict::kInside);
    EXPECT_EQ(full, "D:\\game.exe");
    EXPECT_EQ(scope.Judge("D:\\", full), Verdict::kRoot);
    ASSERT_TRUE(scope.NormalisedDestination(full));
    EXPECT_EQ(full, "D:");
}

}  // namespace
