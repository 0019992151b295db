// The package reader: entries written out as entry archives, the clean end told from failures,
// and names that must not reach the file system.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pack_file.h"
#include "package_fixtures.h"
#include "test_support.h"

namespace {

const char kUntouched[] = "untouched";

// Reads entries until the first false; returns the names read.
std::vector<std::string> ReadAll(CPackFile& pack, const std::string& dest)
{
    std::vector<std::string> names;
    char name[MAX_PATH];
    while (pack.ReadNextEntry(dest.c_str(), name)) names.push_back(name);
    return names;
}

// Names below `dir`, directories marked with a trailing backslash, in no particular order.
std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            names.push_back(n + "\\");
            for (const std::string& inner : Listing(dir + "\\" + n)) names.push_back(n + "\\" + inner);
        } else {
            names.push_back(n);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

class RecordingPackFile : public CPackFile {
public:
    std::vector<std::string> m_requested;

protected:
    bool CreateDirectoryPrefix(LPCSTR path) override
    {
        m_requested.push_back(path);
        return CPackFile::CreateDirectoryPrefix(path);
    }
};

class PackFileTest : public ::testing::Test {
protected:
    // Writes `bytes` as the package and opens it.
    void OpenPackage(const std::string& bytes)
    {
        WriteWholeFile(m_packagePath, bytes);
        ASSERT_TRUE(m_pack.Open(m_packagePath.c_str()));
    }

    ScratchDir m_scratch;
    std::string m_packagePath = m_scratch / "data.pak";
    std::string m_dest = m_scratch / "dest";
    CPackFile m_pack;
};

TEST_F(PackFileTest, EmptyPackageEndsCleanlyWithNothingWritten)
{
    OpenPackage("");
    char name[MAX_PATH] = "untouched";
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::End);
    EXPECT_STREQ(name, kUntouched);
    EXPECT_FALSE(DirectoryExists(m_dest));
}

TEST_F(PackFileTest, EntriesAreCopiedOutInOrderAndStrayBytesEndThePackageCleanly)
{
    const std::string stored = MakeZip({{"readme.txt", "read me\r\n", false}});
    const std::string deflated = MakeZip({{"b.txt", SampleBytes(5000)}, {"c.txt", "second"}});
    ASSERT_FALSE(stored.empty());
    ASSERT_FALSE(deflated.empty());
    for (std::size_t stray : {std::size_t{1}, std::size_t{267}}) {
        SCOPED_TRACE(stray);
        RemoveTree(m_dest);
        OpenPackage(PackEntry("readme.txt", stored) + PackEntry("empty.txt", "") +
                    PackEntry("sub\\b.txt", deflated) + std::string(stray, 'x'));
        const std::vector<std::string> names{"readme.txt", "empty.txt", "sub\\b.txt"};
        EXPECT_EQ(ReadAll(m_pack, m_dest), names);
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::End);
        EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\readme.txt.zip"), stored));
        bool ok = false;
        EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\empty.txt.zip", &ok), ""));
        EXPECT_TRUE(ok);
        EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\sub\\b.txt.zip"), deflated));
        EXPECT_EQ(Listing(m_dest).size(), 4u);  // three archives and the folder sub
        m_pack.Close();
    }
}

TEST_F(PackFileTest, SizesAreLittleEndianAndEntriesFollowEachOtherDirectly)
{
    // Size bytes 10 00 00 00: sixteen data bytes, then the next header.
    std::string first = "a.bin" + std::string(kPackNameField - 5, '\0');
    first += std::string("\x10\x00\x00\x00", 4) + std::string(16, 'A');
    const std::string big = SampleBytes(65537);  // one full copy buffer and one byte
    const std::string larger = SampleBytes(3 * 65536 + 100, 2);
    OpenPackage(first + PackEntry("b.bin", big) + PackEntry("c.bin", larger));
    EXPECT_EQ(ReadAll(m_pack, m_dest), (std::vector<std::string>{"a.bin", "b.bin", "c.bin"}));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::End);
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\a.bin.zip"), std::string(16, 'A')));
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\b.bin.zip"), big));
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\c.bin.zip"), larger));
}

TEST_F(PackFileTest, DirectoriesAreAskedForShortestPrefixFirst)
{
    WriteWholeFile(m_packagePath, PackEntry("a\\b\\c.txt", MakeZip({{"c.txt", "c"}})));
    RecordingPackFile pack;
    ASSERT_TRUE(pack.Open(m_packagePath.c_str()));
    char name[MAX_PATH];
    ASSERT_TRUE(pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_STREQ(name, "a\\b\\c.txt");

    // Every prefix that ends in a backslash, from the drive root on, each once.
    std::vector<std::string> expected;
    const std::string archive = m_dest + "\\a\\b\\c.txt.zip";
    for (std::size_t i = archive.find('\\'); i != std::string::npos; i = archive.find('\\', i + 1))
        expected.push_back(archive.substr(0, i + 1));
    EXPECT_EQ(pack.m_requested, expected);
    ASSERT_GE(pack.m_requested.size(), 4u);
    EXPECT_EQ(pack.m_requested.front().size(), 3u) << "the drive root comes first";
    EXPECT_EQ(pack.m_requested[pack.m_requested.size() - 3], m_dest + "\\");
    EXPECT_EQ(pack.m_requested.back(), m_dest + "\\a\\b\\");
    EXPECT_TRUE(FileExists(archive));
}

TEST_F(PackFileTest, FoldersOfThePreviousEntryAreNotAskedForAgainUnlessTheyHaveGone)
{
    const std::string zip = MakeZip({{"x.txt", "x"}});
    WriteWholeFile(m_packagePath, PackEntry("a\\b\\1.txt", zip) + PackEntry("a\\b\\2.txt", zip) +
                                      PackEntry("a\\c\\3.txt", zip) + PackEntry("a\\c\\4.txt", zip));
    RecordingPackFile pack;
    ASSERT_TRUE(pack.Open(m_packagePath.c_str()));
    char name[MAX_PATH];
    ASSERT_TRUE(pack.ReadNextEntry(m_dest.c_str(), name));
    pack.m_requested.clear();
    ASSERT_TRUE(pack.ReadNextEntry(m_dest.c_str(), name));  // the same folder
    EXPECT_TRUE(pack.m_requested.empty());
    ASSERT_TRUE(pack.ReadNextEntry(m_dest.c_str(), name));  // a sibling: only the new level
    EXPECT_EQ(pack.m_requested, std::vector<std::string>{m_dest + "\\a\\c\\"});

    // The folder removed behind the reader's back is made again, from the drive root on.
    RemoveTree(m_dest + "\\a");
    pack.m_requested.clear();
    ASSERT_TRUE(pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_STREQ(name, "a\\c\\4.txt");
    EXPECT_TRUE(FileExists(m_dest + "\\a\\c\\4.txt.zip"));
    ASSERT_FALSE(pack.m_requested.empty());
    EXPECT_EQ(pack.m_requested.front().size(), 3u);
    EXPECT_EQ(pack.m_requested.back(), m_dest + "\\a\\c\\");
}

TEST_F(PackFileTest, PackageCutShortInsideAnEntryIsAFinalFailureThatLeavesNoArchive)
{
    const std::string data = SampleBytes(100000);
    for (std::size_t present : {std::size_t{300}, std::size_t{70000}}) {
        SCOPED_TRACE(present);
        OpenPackage(PackEntry("ok.bin", "x") + PackEntry("cut.bin", data).substr(0, 268 + present));
        char name[MAX_PATH] = "untouched";
        ASSERT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), name));
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Entry);
        EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Failed);
        EXPECT_STREQ(name, "ok.bin");
        EXPECT_STREQ(m_pack.GetLastEntryName(), "cut.bin");
        EXPECT_FALSE(FileExists(m_dest + "\\cut.bin.zip")) << "nothing would ever remove a partial archive";
        // A failure is final: a further read does not turn it into a clean end.
        EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Failed);
        m_pack.Close();
    }
}

TEST_F(PackFileTest, ExistingEntryArchiveIsTruncated)
{
    CreateDirectoryA(m_dest.c_str(), nullptr);
    WriteWholeFile(m_dest + "\\x.txt.zip", std::string(200000, 'o'));
    OpenPackage(PackEntry("x.txt", "new"));
    EXPECT_EQ(ReadAll(m_pack, m_dest), std::vector<std::string>{"x.txt"});
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\x.txt.zip"), "new"));
}

TEST_F(PackFileTest, NamesThatWindowsWouldResolveElsewhereAreSkippedWithNothingCreated)
{
    CreateDirectoryA(m_dest.c_str(), nullptr);
    std::vector<std::string> headers;
    // With ASCII names only (a build for UTF-8 in another code page), a name in UTF-8 too.
    m_pack.SetAsciiNamesOnly(true);
    for (const char* refused : {"", "..\\x", "a\\..\\..\\x", "a/../../x", "C:\\x", "C:x", "x.txt:stream",
                                "CON", "sub\\com1.txt", "LPT9", "nul.zip", "a\\b.\\c", "x ", "dir \\x",
                                "caf\xC3\xA9\\x.txt"})
        headers.push_back(PackEntry(refused, "zip"));

    for (const std::string& entry : headers) {
        SCOPED_TRACE(entry.substr(0, entry.find('\0')));
        OpenPackage(entry + PackEntry("good.txt", "zip"));
        char name[MAX_PATH] = "untouched";
        EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Skipped);
        EXPECT_STREQ(name, kUntouched);
        EXPECT_EQ(m_pack.GetLastEntryName(), entry.substr(0, entry.find('\0')));
        EXPECT_EQ(Listing(m_dest), std::vector<std::string>{});
        EXPECT_EQ(Listing(m_scratch.Path()), (std::vector<std::string>{"data.pak", "dest\\"}));
        // Its data was passed over: the entry after it is read as it stands.
        EXPECT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), name));
        EXPECT_STREQ(name, "good.txt");
        EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::End);
        m_pack.Close();
        DeleteFileA((m_dest + "\\good.txt.zip").c_str());
    }
    // Otherwise such a name is one like any other.
    m_pack.SetAsciiNamesOnly(false);
    OpenPackage(PackEntry("caf\xC3\xA9.txt", "zip"));
    char accepted[MAX_PATH] = "";
    EXPECT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), accepted));
    EXPECT_STREQ(accepted, "caf\xC3\xA9.txt");
    m_pack.Close();
    DeleteFileA((m_dest + "\\caf\xC3\xA9.txt.zip").c_str());

    // A name field without its NUL is no header at all: its size means nothing, and reading ends.
    PackEntryHeader noNul;
    std::memset(&noNul, 'n', sizeof noNul);
    SetEntrySize(noNul, 3);
    OpenPackage(std::string(reinterpret_cast<const char*>(&noNul), sizeof noNul) + "zip" +
                PackEntry("good.txt", "zip"));
    char name[MAX_PATH] = "untouched";
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Failed);
    EXPECT_STREQ(m_pack.GetLastEntryName(), "");
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(Listing(m_dest), std::vector<std::string>{});
}

// A refused entry whose data runs past the end of the package is damage, not a skip.
TEST_F(PackFileTest, RefusedEntryCutShortIsAFailure)
{
    OpenPackage(PackEntry("..\\x", SampleBytes(5000)).substr(0, kPackHeaderSize + 100));
    char name[MAX_PATH];
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Failed);
}

TEST_F(PackFileTest, ArchivePathsBeyond259CharactersCannotBeCreated)
{
    // destDir + "\" + name + ".zip" is at most 259 characters.
    const std::size_t room = 259 - m_dest.size() - 1 - 4;
    const std::string longest = "d\\" + std::string(room - 2, 'n');
    const std::string tooLong = "e\\" + std::string(room - 1, 'n');
    ASSERT_LE(tooLong.size(), kPackMaxNameLength);
    OpenPackage(PackEntry(longest, "fits") + PackEntry(tooLong, "does not"));
    char name[MAX_PATH];
    ASSERT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(name, longest);
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\" + longest + ".zip"), "fits"));
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Skipped);
    EXPECT_FALSE(DirectoryExists(m_dest + "\\e")) << "nothing is made for a path that cannot be used";
    m_pack.Close();

    // The longest name the field holds, and a destination far beyond the limit: refused, and no
    // fixed buffer overflows on the way.
    const std::string longDest = m_dest + "\\" + std::string(400, 'q');
    for (const std::string& dest : {m_dest, longDest}) {
        OpenPackage(PackEntry(std::string(kPackMaxNameLength, 'm'), "data"));
        EXPECT_FALSE(m_pack.ReadNextEntry(dest.c_str(), name));
        EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Skipped);
        m_pack.Close();
    }
    EXPECT_EQ(Listing(m_dest), (std::vector<std::string>{"d\\", "d\\" + longest.substr(2) + ".zip"}));
}

// Windows makes no folder of more than 247 characters (room is kept for a short name in it),
// although Wine would: an entry whose folder is longer is skipped with nothing made.
TEST_F(PackFileTest, FoldersBeyond247CharactersAreNotMade)
{
    const std::string deepest = std::string(247 - m_dest.size() - 1, 'f');
    OpenPackage(PackEntry(deepest + "\\a", "fits") + PackEntry(deepest + "g\\b", "does not") +
                PackEntry("c", "after"));
    char name[MAX_PATH];
    ASSERT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\" + deepest + "\\a.zip"), "fits"));
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Skipped);
    EXPECT_FALSE(DirectoryExists(m_dest + "\\" + deepest + "g"));
    EXPECT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_STREQ(name, "c");
}

TEST_F(PackFileTest, EntryArchiveThatCannotBeCreatedIsSkipped)
{
    CreateDirectoryA(m_dest.c_str(), nullptr);
    CreateDirectoryA((m_dest + "\\x.txt.zip").c_str(), nullptr);  // a directory in the way
    OpenPackage(PackEntry("x.txt", "data") + PackEntry("y.txt", "data"));
    char name[MAX_PATH];
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Skipped);
    EXPECT_TRUE(DirectoryExists(m_dest + "\\x.txt.zip")) << "what was in the way stays";
    EXPECT_TRUE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_TRUE(SameBytes(ReadWholeFile(m_dest + "\\y.txt.zip"), "data"));
}

TEST_F(PackFileTest, ReadersWithoutAPackage)
{
    CPackFile pack;
    char name[MAX_PATH] = "untouched";
    EXPECT_FALSE(pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(pack.GetLastStatus(), PackReadStatus::Failed);
    EXPECT_FALSE(pack.Open((m_scratch / "missing.pak").c_str()));
    EXPECT_FALSE(pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(pack.GetLastStatus(), PackReadStatus::Failed);
    pack.Close();
    pack.Close();
    EXPECT_STREQ(name, kUntouched);
}

// Serves `bytes` through a named pipe and, once the client has read them all, disconnects it: the
// client's next read fails with an error, without an end of file.
class PipeThatBreaks {
public:
    explicit PipeThatBreaks(const std::string& bytes)
    {
        static unsigned counter = 0;
        m_name = "\\\\.\\pipe\\pack-file-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter);
        m_hPipe = CreateNamedPipeA(m_name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                   65536, 65536, 0, nullptr);
        m_server = std::thread([this, bytes] {
            ConnectNamedPipe(m_hPipe, nullptr);
            DWORD written = 0;
            WriteFile(m_hPipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            FlushFileBuffers(m_hPipe);  // returns when the client has read everything
            DisconnectNamedPipe(m_hPipe);
        });
    }
    ~PipeThatBreaks()
    {
        m_server.join();
        CloseHandle(m_hPipe);
    }
    const std::string& Name() const { return m_name; }
    bool IsOpen() const { return m_hPipe != INVALID_HANDLE_VALUE; }

private:
    std::string m_name;
    HANDLE m_hPipe;
    std::thread m_server;
};

TEST_F(PackFileTest, ReadErrorInsideAnEntryEndsTheCopy)
{
    const std::string data = SampleBytes(5000);
    const std::string package =
        PackEntry("broken.bin", data + std::string(95000, 'z')).substr(0, kPackHeaderSize + data.size());

    // The stream really reports an error and no end of file here, or this test would prove nothing.
    {
        PipeThatBreaks pipe(package);
        ASSERT_TRUE(pipe.IsOpen());
        std::FILE* f = std::fopen(pipe.Name().c_str(), "rb");
        ASSERT_NE(f, nullptr);
        std::string buffer(65536, '\0');
        EXPECT_EQ(std::fread(&buffer[0], 1, 268, f), 268u);
        while (std::fread(&buffer[0], 1, buffer.size(), f) > 0) {
        }
        EXPECT_TRUE(std::ferror(f) && !std::feof(f));
        std::fclose(f);
    }

    PipeThatBreaks pipe(package);
    ASSERT_TRUE(m_pack.Open(pipe.Name().c_str()));
    char name[MAX_PATH];
    EXPECT_FALSE(m_pack.ReadNextEntry(m_dest.c_str(), name));
    EXPECT_EQ(m_pack.GetLastStatus(), PackReadStatus::Failed);
    m_pack.Close();
    EXPECT_FALSE(FileExists(m_dest + "\\broken.bin.zip")) << "the partial archive is deleted";
}

TEST(PackFileFullDisk, ArchivesThatCannotBeWrittenOrClosedAreSkippedAndDeleted)
{
    REQUIRE_SMALL_DRIVE(root);
    ULARGE_INTEGER total{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), nullptr, &total, nullptr));
    ASSERT_LT(total.QuadPart, 4u << 20) << "the small drive is not small";

    ScratchDir scratch;
    ScratchDir dest(root);
    const std::string packagePath = scratch / "data.pak";
    CPackFile pack;
    char name[MAX_PATH];

    // A write that fails part way through a large entry.
    const std::size_t beyondTheDrive = static_cast<std::size_t>(total.QuadPart) + 65536;
    WriteWholeFile(packagePath, PackEntry("fits.bin", SampleBytes(1000)) +
                                    PackEntry("huge.bin", SampleBytes(beyondTheDrive)) +
                                    PackEntry("after.bin", SampleBytes(500)));
    ASSERT_TRUE(pack.Open(packagePath.c_str()));
    ASSERT_TRUE(pack.ReadNextEntry(dest.Path().c_str(), name));
    EXPECT_EQ(pack.GetLastStatus(), PackReadStatus::Entry);
    EXPECT_FALSE(pack.ReadNextEntry(dest.Path().c_str(), name));
    EXPECT_EQ(pack.GetLastStatus(), PackReadStatus::Skipped);
    EXPECT_STREQ(name, "fits.bin");
    EXPECT_FALSE(FileExists(dest / "huge.bin.zip")) << "the partial archive is deleted";
    // Its space is free again, and the stream stands at the next entry.
    EXPECT_TRUE(pack.ReadNextEntry(dest.Path().c_str(), name));
    EXPECT_STREQ(name, "after.bin");
    EXPECT_TRUE(SameBytes(ReadWholeFile(dest / "after.bin.zip"), SampleBytes(500)));
    pack.Close();

    // A small entry that the stream buffers whole, so the full disk shows only when it is closed.
    ASSERT_TRUE(FillDrive(dest / "filler"));
    WriteWholeFile(packagePath, PackEntry("small.bin", SampleBytes(100)));
    ASSERT_TRUE(pack.Open(packagePath.c_str()));
    EXPECT_FALSE(pack.ReadNextEntry(dest.Path().c_str(), name));
    EXPECT_EQ(pack.GetLastStatus(), PackReadStatus::Skipped);
    EXPECT_FALSE(FileExists(dest / "small.bin.zip"));
}

}  // namespace
