// Entry decompression: the first member of an entry archive becomes the target file, and every
// fault in the archive or the output is told from success.
#include <gtest/gtest.h>

#include <string>

#include "package_fixtures.h"
#include "test_support.h"
#include "unzip_single.h"

namespace {

class UnzipTest : public ::testing::Test {
protected:
    // Writes `archive` as the entry archive and decompresses it into the target.
    bool Unzip(const std::string& archive)
    {
        WriteWholeFile(m_zipPath, archive);
        return UnzipSingleFile(m_zipPath.c_str(), m_outPath.c_str());
    }

    std::string Output(bool* exists = nullptr) { return ReadWholeFile(m_outPath, exists); }

    ScratchDir m_scratch;
    std::string m_zipPath = m_scratch / "file.bin.zip";
    std::string m_outPath = m_scratch / "file.bin";
};

TEST_F(UnzipTest, StoredAndDeflatedMembersAreDecompressedOverAnExistingTarget)
{
    // Larger than the decompression buffer, so it arrives in several reads.
    const std::string content = SampleBytes(100000) + std::string(70000, '\0');
    for (bool deflated : {false, true}) {
        SCOPED_TRACE(deflated);
        WriteWholeFile(m_outPath, std::string(300000, 'o'));
        EXPECT_TRUE(Unzip(MakeZip({{"any name.dat", content, deflated}})));
        EXPECT_TRUE(SameBytes(Output(), content));
        EXPECT_TRUE(FileExists(m_zipPath)) << "the archive is the caller's to delete";
    }
}

TEST_F(UnzipTest, OnlyTheFirstMemberIsUsed)
{
    EXPECT_TRUE(Unzip(MakeZip({{"z-last.txt", "first member"}, {"a-first.txt", "second member"}})));
    EXPECT_TRUE(SameBytes(Output(), "first member"));
}

TEST_F(UnzipTest, EmptyMemberMakesAnEmptyFile)
{
    for (bool deflated : {false, true}) {
        WriteWholeFile(m_outPath, "old");
        EXPECT_TRUE(Unzip(MakeZip({{"empty", "", deflated}})));
        bool exists = false;
        EXPECT_EQ(Output(&exists), "");
        EXPECT_TRUE(exists);
    }
}

TEST_F(UnzipTest, ArchivesThatDoNotOpenLeaveTheTargetUntouched)
{
    const std::string noMembers = MakeZip({});
    ASSERT_FALSE(noMembers.empty());
    const std::string notZip = "this is not a zip archive\n";
    for (const std::string& archive : {std::string(), notZip, noMembers}) {
        SCOPED_TRACE(archive.size());
        WriteWholeFile(m_outPath, "old content");
        EXPECT_FALSE(Unzip(archive));
        EXPECT_TRUE(SameBytes(Output(), "old content"));
        DeleteFileA(m_outPath.c_str());
        EXPECT_FALSE(Unzip(archive));
        EXPECT_FALSE(FileExists(m_outPath));
    }
    DeleteFileA(m_zipPath.c_str());
    EXPECT_FALSE(UnzipSingleFile(m_zipPath.c_str(), m_outPath.c_str()));
    EXPECT_FALSE(FileExists(m_outPath));
}

TEST_F(UnzipTest, TargetThatCannotBeCreatedIsAFailure)
{
    CreateDirectoryA(m_outPath.c_str(), nullptr);
    EXPECT_FALSE(Unzip(MakeZip({{"f", "content"}})));
    EXPECT_TRUE(DirectoryExists(m_outPath));
    EXPECT_FALSE(UnzipSingleFile(m_zipPath.c_str(), (m_scratch / "missing\\file.bin").c_str()));
}

TEST_F(UnzipTest, DamagedMembersAreFailuresThatKeepWhatWasDecompressed)
{
    const std::string head = SampleBytes(40000);
    const std::string content = head + SampleBytes(40000, 7);
    const std::string good = Deflate(content);
    const auto size = static_cast<std::uint32_t>(content.size());
    const std::uint32_t crc = Crc32(content);

    // Sanity: the raw member as made is accepted, so each damage below is what fails.
    EXPECT_TRUE(Unzip(MakeRawDeflateZip(good, size, crc)));
    EXPECT_TRUE(SameBytes(Output(), content));

    // A final block of the reserved type 3 after the first half: inflate stops with a data error.
    const std::string corrupt = Deflate(head, false) + "\x07\xff\xff\xff";
    EXPECT_FALSE(Unzip(MakeRawDeflateZip(corrupt, size, crc)));
    // What the library delivered before the faulty read stays: a part of the intact first half.
    const std::string kept = Output();
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LE(kept.size(), head.size());
    EXPECT_TRUE(SameBytes(kept, head.substr(0, kept.size())));

    EXPECT_FALSE(Unzip(MakeRawDeflateZip(good, size, crc ^ 1)));
    EXPECT_TRUE(SameBytes(Output(), content)) << "a checksum mismatch leaves the output as decompressed";

    // The stream ends before the size the archive states: the checksum is never compared.
    EXPECT_FALSE(Unzip(MakeRawDeflateZip(good, size + 10, crc)));
    EXPECT_TRUE(SameBytes(Output(), content));
}

TEST(UnzipFullDisk, FailedWriteOfTheTargetIsAFailure)
{
    REQUIRE_SMALL_DRIVE(root);
    ScratchDir scratch;
    ScratchDir dest(root);
    const std::string zipPath = scratch / "big.zip";
    // Zeros deflate to almost nothing, so only the target needs the room.
    WriteWholeFile(zipPath, MakeZip({{"big", std::string(2 << 20, '\0')}}));
    EXPECT_FALSE(UnzipSingleFile(zipPath.c_str(), (dest / "big").c_str()));
    DeleteFileA((dest / "big").c_str());

    // A member small enough to sit in the stream's buffer fails only when the target is closed.
    WriteWholeFile(zipPath, MakeZip({{"small", "a few bytes"}}));
    ASSERT_TRUE(UnzipSingleFile(zipPath.c_str(), (dest / "small").c_str()));
    ASSERT_TRUE(FillDrive(dest / "filler"));
    EXPECT_FALSE(UnzipSingleFile(zipPath.c_str(), (dest / "small2").c_str()));
}

}  // namespace
