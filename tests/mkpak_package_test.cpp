// Packages from the Windows build of mkpak, read back the way the installer reads them: the
// package reader writes each entry's archive beside its target and the entry decompression turns
// it into the file. (The native build writes the same bytes; mkpak's own tests compare the two.)
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "pack_file.h"
#include "test_support.h"
#include "unzip_single.h"

namespace {

DWORD RunMkpak(const std::string& arguments)
{
    return RunProgram(TestProgramDir() + "mkpak.exe", arguments);
}

// Names with characters outside ASCII are made and read through the wide functions, so that a
// product file's name is the same whatever the prefix's ANSI code page.
std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::string NoiseBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

struct ProductFile {
    std::wstring relative;   // as the vendor named it
    std::string entryName;   // as the package must store it, in code page 1252
    std::string content;
};

struct InstallerRead {
    std::vector<std::string> names;  // in package order
    std::vector<std::string> failedUnzips;
    PackReadStatus endStatus = PackReadStatus::Failed;
};

// The installer's file phase without its log and progress: every entry read, unpacked to its
// target and its archive removed.
InstallerRead ReadAsTheInstallerDoes(const std::string& package, const std::string& dest)
{
    InstallerRead result;
    CPackFile pack;
    if (!pack.Open(package.c_str())) return result;
    char name[MAX_PATH];
    while (pack.ReadNextEntry(dest.c_str(), name)) {
        result.names.push_back(name);
        std::string target = dest + "\\" + name;
        if (!UnzipSingleFile((target + ".zip").c_str(), target.c_str())) result.failedUnzips.push_back(name);
        DeleteFileA((target + ".zip").c_str());
    }
    result.endStatus = pack.GetLastStatus();
    return result;
}

}  // namespace

TEST(MkpakPackage, EveryFileRoundTripsThroughTheInstallersReader)
{
    // Entry names below are cp1252 bytes, as for an installer built for the machine's code page,
    // which writes them through the ANSI functions of this process's code page.
    ASSERT_EQ(GetACP(), 1252u) << "the prefix's ANSI code page";
    ScratchDir dir;
    std::string product = dir / "product";
    std::string text;
    for (int i = 0; text.size() < 65537; ++i) text += "level " + std::to_string(i % 97) + " row\r\n";
    text.resize(65537);  // 64 KiB and one byte: the decompression's last read is a lone byte
    // Each in the order the package must hold them: byte order of the stored names.
    const std::vector<ProductFile> files = {
        {L"data\\maps\\level1.dat", "data\\maps\\level1.dat", text},
        {L"data\\noise.bin", "data\\noise.bin", NoiseBytes(300 * 1024, 5)},
        {L"donn\u00E9es\\\u00E9t\u00E9.txt", "donn\xE9""es\\\xE9t\xE9.txt", "accent\r\n"},
        {L"empty.dat", "empty.dat", ""},
        {L"readme.txt", "readme.txt", "Quenthary\r\n"},
    };
    for (const wchar_t* folder : {L"", L"\\data", L"\\data\\maps", L"\\donn\u00E9es"})
        ASSERT_TRUE(CreateDirectoryW((Widen(product) + folder).c_str(), nullptr));
    for (const ProductFile& f : files) ASSERT_TRUE(WriteWideFile(Widen(product) + L"\\" + f.relative, f.content));

    std::string setup = dir / "setup";
    ASSERT_EQ(RunMkpak("build --codepage 1252 \"" + product + "\" \"" + setup + "\""), 0u);
    std::string package = setup + "\\data.pak";
    // 300 KiB of noise is stored: its entry alone outgrows the file.
    EXPECT_GT(ReadWholeFile(package).size(), 300u * 1024 + 5 * 268);

    std::string dest = dir / "dest";
    InstallerRead read = ReadAsTheInstallerDoes(package, dest);
    EXPECT_EQ(read.endStatus, PackReadStatus::End);
    EXPECT_TRUE(read.failedUnzips.empty()) << read.failedUnzips.front();
    ASSERT_EQ(read.names.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ProductFile& f = files[i];
        EXPECT_EQ(read.names[i], f.entryName);
        bool ok = false;
        std::string installed = ReadWideFile(Widen(dest) + L"\\" + f.relative, &ok);
        EXPECT_TRUE(ok) << f.entryName;
        EXPECT_TRUE(SameBytes(installed, f.content)) << f.entryName;
        EXPECT_FALSE(FileExists(dest + "\\" + f.entryName + ".zip")) << f.entryName;
    }

    char value[32] = "";
    GetPrivateProfileStringA("main", "totalfiles", "", value, sizeof value, (setup + "\\setup.ini").c_str());
    EXPECT_STREQ(value, "5");
    EXPECT_EQ(GetPrivateProfileIntA("main", "needspace", -1, (setup + "\\setup.ini").c_str()), 1);
    EXPECT_EQ(RunMkpak("verify --codepage 1252 \"" + setup + "\""), 0u);
}

TEST(MkpakPackage, RefusedNameLeavesNoPackage)
{
    ScratchDir dir;
    std::string product = dir / "product";
    CreateDirectoryA(product.c_str(), nullptr);
    WriteWholeFile(product + "\\ok.txt", "ok");
    // "ā" has no byte in code page 1252.
    std::wstring wide = Widen(product) + L"\\\u0101.txt";
    ASSERT_TRUE(WriteWideFile(wide, ""));
    std::string setup = dir / "setup";
    EXPECT_EQ(RunMkpak("build --codepage 1252 \"" + product + "\" \"" + setup + "\""), 1u);
    EXPECT_FALSE(FileExists(setup + "\\data.pak"));
    EXPECT_EQ(RunMkpak("build --codepage 1257 \"" + product + "\" \"" + setup + "\""), 0u);
    EXPECT_TRUE(FileExists(setup + "\\data.pak"));
    DeleteFileW(wide.c_str());  // "ā" has no ANSI name for the scratch folder's clean-up to use
}

// A script that no longer fits on the drive is reported and the old one kept. A small file stays
// in the stream's buffer until it is closed, and Wine's fclose does not report a failed final
// flush: unchecked, an empty setup.ini would take the old one's place and mkpak would exit 0.
TEST(MkpakPackage, ScriptThatDoesNotFitTheDriveIsReportedAndTheOldOneKept)
{
    REQUIRE_SMALL_DRIVE(drive);
    ScratchDir dir;
    std::string product = dir / "product";
    CreateDirectoryA(product.c_str(), nullptr);
    WriteWholeFile(product + "\\a.txt", "a");

    ScratchDir small(drive);
    std::string setup = small / "setup";
    CreateDirectoryA(setup.c_str(), nullptr);
    const std::string script = "[main]\r\ntitle=Kept\r\n";
    WriteWholeFile(setup + "\\setup.ini", script);
    // One page left on the drive: the package takes it, the new script finds none.
    std::string reserve = small / "reserve";
    WriteWholeFile(reserve, std::string(4096, 'r'));
    ASSERT_TRUE(FillDrive(small / "filler"));
    ASSERT_TRUE(DeleteFileA(reserve.c_str()));

    EXPECT_EQ(RunMkpak("build --codepage 1252 \"" + product + "\" \"" + setup + "\""), 1u);
    // Nothing of the build is left: the package goes with the script that could not follow it.
    EXPECT_FALSE(FileExists(setup + "\\data.pak"));
    EXPECT_FALSE(FileExists(setup + "\\data.pak.partial"));
    EXPECT_FALSE(FileExists(setup + "\\setup.ini.partial"));
    EXPECT_EQ(ReadWholeFile(setup + "\\setup.ini"), script);
}
