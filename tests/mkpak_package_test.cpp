// Packages from the Windows build of mkpak, read on Windows the way the installer reads them:
// header by header, each archive copied out to a file of its own and unpacked with minizip.
#include <gtest/gtest.h>

#include <unzip.h>

#include <cstring>
#include <vector>

#include "child_process.h"
#include "pack_format.h"
#include "test_support.h"

namespace {

struct Unpacked {
    std::string name, content;
};

DWORD RunMkpak(const std::string& arguments)
{
    return RunProgram(TestProgramDir() + "mkpak.exe", arguments);
}

std::vector<Unpacked> UnpackAll(const std::string& package, const std::string& scratch)
{
    std::vector<Unpacked> entries;
    FILE* f = fopen(package.c_str(), "rb");
    if (!f) return entries;
    PackEntryHeader header;
    while (fread(&header, 1, sizeof header, f) == sizeof header) {
        const char* name = GetEntryName(header);
        if (!name) break;
        std::string data(GetEntrySize(header), '\0');
        if (fread(&data[0], 1, data.size(), f) != data.size()) break;
        std::string zipPath = scratch + "\\entry.zip";
        WriteWholeFile(zipPath, data);
        Unpacked e{name, ""};
        unzFile zip = unzOpen(zipPath.c_str());
        if (zip && unzOpenCurrentFile(zip) == UNZ_OK) {
            char buffer[16384];
            int n;
            while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) e.content.append(buffer, n);
            if (unzCloseCurrentFile(zip) != UNZ_OK) e.content = "<crc error>";
        } else {
            e.content = "<not a zip archive>";
        }
        if (zip) unzClose(zip);
        entries.push_back(e);
    }
    fclose(f);
    return entries;
}

}  // namespace

TEST(MkpakPackage, EveryEntryUnpacksToItsFileUnderItsCodePageName)
{
    ScratchDir dir;
    std::string product = dir / "product";
    CreateDirectoryA(product.c_str(), nullptr);
    CreateDirectoryA((product + "\\docs").c_str(), nullptr);
    std::string manual;
    for (int i = 0; i < 3000; ++i) manual += "page " + std::to_string(i) + "\r\n";
    WriteWholeFile(product + "\\docs\\manual.txt", manual);
    WriteWholeFile(product + "\\game.exe", std::string("MZ\0\x01\x02", 5));
    // "été.txt", named in UTF-16 so that the name does not depend on the prefix's code page.
    std::wstring wide = std::wstring(product.begin(), product.end()) + L"\\\u00E9t\u00E9.txt";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "accent", 6, &written, nullptr);
    CloseHandle(h);

    std::string setup = dir / "setup";
    ASSERT_EQ(RunMkpak("build \"" + product + "\" \"" + setup + "\""), 0u);
    std::vector<Unpacked> entries = UnpackAll(setup + "\\data.pak", dir.Path());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "docs\\manual.txt");
    EXPECT_EQ(entries[0].content, manual);
    EXPECT_EQ(entries[1].name, "game.exe");
    EXPECT_EQ(entries[1].content, std::string("MZ\0\x01\x02", 5));
    EXPECT_EQ(entries[2].name, "\xE9t\xE9.txt");
    EXPECT_EQ(entries[2].content, "accent");
    char value[32] = "";
    GetPrivateProfileStringA("main", "totalfiles", "", value, sizeof value, (setup + "\\setup.ini").c_str());
    EXPECT_STREQ(value, "3");
    EXPECT_EQ(GetPrivateProfileIntA("main", "needspace", -1, (setup + "\\setup.ini").c_str()), 1);
    EXPECT_EQ(RunMkpak("verify \"" + setup + "\""), 0u);
    DeleteFileW(wide.c_str());  // the scratch folder's clean-up sees names only through the code page
}

TEST(MkpakPackage, RefusedNameLeavesNoPackage)
{
    ScratchDir dir;
    std::string product = dir / "product";
    CreateDirectoryA(product.c_str(), nullptr);
    WriteWholeFile(product + "\\ok.txt", "ok");
    // "ā" has no byte in code page 1252.
    std::wstring wide = std::wstring(product.begin(), product.end()) + L"\\\u0101.txt";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::string setup = dir / "setup";
    EXPECT_EQ(RunMkpak("build \"" + product + "\" \"" + setup + "\""), 1u);
    EXPECT_FALSE(FileExists(setup + "\\data.pak"));
    EXPECT_EQ(RunMkpak("build --codepage 1257 \"" + product + "\" \"" + setup + "\""), 0u);
    EXPECT_TRUE(FileExists(setup + "\\data.pak"));
    DeleteFileW(wide.c_str());  // "ā" has no ANSI name for the scratch folder's clean-up to use
}
