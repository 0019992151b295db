// The uninstall log's writer against the platform's own WritePrivateProfileStringA: after every
// single write, both files read back alike through the profile functions.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "setup_files.h"
#include "test_support.h"
#include "uninstall_log.h"

namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;

// A double-NUL-terminated list as the profile functions return it.
std::vector<std::string> SplitList(const std::vector<char>& buffer)
{
    std::vector<std::string> items;
    for (const char* p = buffer.data(); *p; p += items.back().size() + 1) items.emplace_back(p);
    return items;
}

// Everything the profile functions tell of a file: its section names; for each section its
// "key=value" lines, its key names and the value that a read of each key returns. Reading a
// missing file tells nothing, as writing would create it.
std::string Readback(const std::string& path, const Writes& writes)
{
    std::vector<char> buffer(1 << 20);
    std::string text;
    GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::string> sections = SplitList(buffer);
    for (const std::string& section : sections) {
        text += "[" + section + "]\n";
        GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                  path.c_str());
        for (const std::string& line : SplitList(buffer)) text += "  line " + line + "\n";
        GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                 static_cast<DWORD>(buffer.size()), path.c_str());
        std::vector<std::string> keys = SplitList(buffer);
        for (const auto& write : writes) keys.push_back(write.first);  // also keys hidden by others
        for (const std::string& key : keys) {
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buffer.data(),
                                     static_cast<DWORD>(buffer.size()), path.c_str());
            text += "  " + key + " -> " + buffer.data() + "\n";
        }
    }
    return text;
}

// What each write must leave; `hasTemplate` false: no file before the first write.
struct LogCase {
    ScratchDir dir;
    std::string ours = dir / "uninstall.ini";
    std::string platform = dir / "platform.ini";

    void PutTemplate(const std::string& bytes)
    {
        WriteWholeFile(ours, bytes);
        WriteWholeFile(platform, bytes);
    }
    void Write(const std::string& key, const std::string& value)
    {
        WriteLogString(ours.c_str(), key.c_str(), value.c_str());
        WritePrivateProfileStringA("files", key.c_str(), value.c_str(), platform.c_str());
    }
};

// The log of an installation with a few files and shortcuts, writing over template keys, writing
// a key twice, and odd values.
const Writes kInstallation = {
    {"file0", "C:\\Games\\Quenthary\\game.exe"},
    {"file1", "C:\\Games\\Quenthary\\data\\level1.dat"},
    {"file2", "  C:\\Games\\Quenthary\\leading spaces.txt"},
    {"file3", "C:\\Games\\M\xfc" "ller\\\"quoted\".txt"},
    {"file4", ""},
    {"file5", "C:\\Games\\Quenthary\\trailing = equals=  "},
    {"file2", "C:\\Games\\Quenthary\\written again.txt"},
    {"file6", "C:\\Users\\me\\Start Menu\\Programs\\Quenthary"},
    {"filenum", "7"},
    {"file7", "C:\\after\\filenum"},
};

// `templateBytes` null: no file before the first write.
void ExpectSameAfterEveryWrite(const std::string* templateBytes, const Writes& writes)
{
    LogCase log;
    if (templateBytes != nullptr) log.PutTemplate(*templateBytes);
    ASSERT_EQ(Readback(log.ours, writes), Readback(log.platform, writes));
    for (std::size_t i = 0; i < writes.size(); ++i) {
        log.Write(writes[i].first, writes[i].second);
        ASSERT_EQ(Readback(log.ours, writes), Readback(log.platform, writes))
            << "after write " << i << ": " << writes[i].first << "=" << writes[i].second;
    }
}

void ExpectSameAfterEveryWrite(const std::string& templateBytes, const Writes& writes = kInstallation)
{
    ExpectSameAfterEveryWrite(&templateBytes, writes);
}

}  // namespace

TEST(UninstallLogEquivalence, MissingOrEmptyTemplate)
{
    ExpectSameAfterEveryWrite(nullptr, kInstallation);
    ExpectSameAfterEveryWrite("");
    ExpectSameAfterEveryWrite("\r\n\r\n  \r\n");
}

TEST(UninstallLogEquivalence, NoFilesSectionInAnyLineEnding)
{
    ExpectSameAfterEveryWrite("[uninstall]\r\nname=Quenthary\r\n");
    ExpectSameAfterEveryWrite("[uninstall]\nname=Quenthary\n");
    ExpectSameAfterEveryWrite("[uninstall]\rname=Quenthary\r");
    ExpectSameAfterEveryWrite("[uninstall]\r\nname=Quenthary");  // no line end at the end
    ExpectSameAfterEveryWrite("top=before any section\r\n[uninstall]\r\n[files");  // no header
}

TEST(UninstallLogEquivalence, FilesSectionLastWithKeysToOverwrite)
{
    ExpectSameAfterEveryWrite(
        "[uninstall]\r\nname=Quenthary\r\n[files]\r\nfile0=old0\r\nFILE1 = old1\r\nfile3=old3\r\n"
        "keep=yes\r\n; a comment\r\n");
    ExpectSameAfterEveryWrite("[files]\nfile1=old1\nfile9=old9\nfilenum=99");
    ExpectSameAfterEveryWrite("[files]");
    // A key without "=" is found, and written over, like any other.
    ExpectSameAfterEveryWrite("[files]\r\nfile2\r\nfile007=not file7\r\nfile-1=x\r\n");
    // Names of sections and keys are trimmed and matched without regard to case.
    ExpectSameAfterEveryWrite("  [ FILES ]  \r\n   File4   =   four   \r\n");
}

TEST(UninstallLogEquivalence, FilesSectionFollowedByOthers)
{
    ExpectSameAfterEveryWrite(
        "[a]\r\nx=1\r\n[Files]\r\nfile1=old\r\n; note\r\n\r\n[b]\r\ny=2\r\n[files]\r\nfile2=dup\r\n");
    ExpectSameAfterEveryWrite("[files]\nfile0=old\n\n[uninstall]\nname=Quenthary");
    ExpectSameAfterEveryWrite("[files]\r[b]\ry=2\r");
    ExpectSameAfterEveryWrite("[files]\r\n  [b]  \r\n[files]\r\nfile3=second section\r\n");
}

// Where a header's name ends (at the line's last "]"), a "[" without its "]", a line without a
// key name, tabs and ^Z as white space.
TEST(UninstallLogEquivalence, HeadersAndKeysAtTheEdgesOfTheLineGrammar)
{
    ExpectSameAfterEveryWrite("[fi]les]\r\nfile0=not in files\r\n[files]x]\r\nfile1=nor here\r\n"
                              "[files]\r\n=nameless\r\n[files\r\n\tfile1\t=\ttabbed\r\n"
                              "\x1a" "file2=after ^Z\r\n[b]\r\nfile3=in b\r\n");
}

TEST(UninstallLogEquivalence, TemplatesWithAByteOrderMark)
{
    ExpectSameAfterEveryWrite("\xEF\xBB\xBF[uninstall]\r\nname=Quenthary\r\n[files]\r\nfile0=old\r\n");
    const wchar_t wide[] = L"\xFEFF[files]\r\nfile1=old\r\n[b]\r\ny=2\r\n";
    ExpectSameAfterEveryWrite(
        std::string(reinterpret_cast<const char*>(wide), sizeof wide - sizeof(wchar_t)));
}

TEST(UninstallLogEquivalence, ValuesThatAreNotOnePlainLineGoThroughThePlatform)
{
    ExpectSameAfterEveryWrite("[files]\r\n", {{"file0", "a\r\nfile1=injected"},
                                              {"file1", "b"},
                                              {" file2 ", "spaced key"},
                                              {"file3", "c"},
                                              {"[x]", "bracketed"},
                                              {"file4", "d"}});
}

TEST(UninstallLogEquivalence, TemplateCopiedOverTheLogBetweenWrites)
{
    // A second installation into the same destination copies the template over the old log; the
    // writer must notice and not continue from what it knew of the old one.
    const std::string first = "[files]\r\nfile0=template\r\n[b]\r\ny=2\r\n";
    const std::string second = "[other]\r\nz=3\r\n";
    LogCase log;
    log.PutTemplate(first);
    for (int i = 0; i < 3; ++i) log.Write("file" + std::to_string(i), "first run " + std::to_string(i));
    log.PutTemplate(second);
    log.Write("file0", "second run");
    EXPECT_EQ(Readback(log.ours, kInstallation), Readback(log.platform, kInstallation));
    log.PutTemplate(first);  // same bytes as before the first run: told apart by size and time
    log.Write("file5", "third run");
    EXPECT_EQ(Readback(log.ours, kInstallation), Readback(log.platform, kInstallation));
}

TEST(UninstallLogEquivalence, WriterKeptOpenNoticesTheFileRewrittenBehindIt)
{
    LogCase log;
    log.PutTemplate("[files]\r\nfile0=template\r\n");
    CUninstallLog writer(log.ours.c_str());
    auto write = [&](const std::string& key, const std::string& value) {
        writer.WriteString(key.c_str(), value.c_str());
        WritePrivateProfileStringA("files", key.c_str(), value.c_str(), log.platform.c_str());
        EXPECT_EQ(Readback(log.ours, kInstallation), Readback(log.platform, kInstallation)) << key;
    };
    write("file1", "one");
    write("file2", "two");
    // Through another handle, while the writer holds its own: longer, then shorter than before.
    log.PutTemplate("[b]\r\nx=1\r\n[files]\r\nfile2=again\r\n[c]\r\ny=2\r\n");
    write("file3", "three");
    write("file2", "two over the template");
    log.PutTemplate("[files]\r\n");
    write("file4", "four");
}

// Windows' profile functions may be refused a file that another handle holds for writing: before
// handing a write to them, the writer lets go of its own handle. An open with no sharing at all
// tells whether some handle is still open.
TEST(UninstallLogHandle, ClosedBeforeAWriteGoesThroughThePlatform)
{
    ScratchDir dir;
    const std::string path = dir / "uninstall.ini";
    auto heldElsewhere = [&] {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
        CloseHandle(h);
        return false;
    };
    CUninstallLog writer(path.c_str());
    ASSERT_TRUE(writer.WriteString("file0", "appended"));
    ASSERT_TRUE(heldElsewhere()) << "the check sees no handle at all";
    // A key that is there already is the platform's to replace.
    ASSERT_TRUE(writer.WriteString("file0", "replaced"));
    EXPECT_FALSE(heldElsewhere());
    char value[16] = "";
    GetPrivateProfileStringA("files", "file0", "", value, sizeof value, path.c_str());
    EXPECT_STREQ(value, "replaced");
}

TEST(UninstallLogEquivalence, TwoLogsWrittenInTurn)
{
    LogCase a, b;
    a.PutTemplate("[files]\r\n[tail]\r\nt=1\r\n");
    for (int i = 0; i < 6; ++i) {
        LogCase& log = i % 2 ? a : b;
        log.Write("file" + std::to_string(i / 2), "entry " + std::to_string(i));
        ASSERT_EQ(Readback(log.ours, kInstallation), Readback(log.platform, kInstallation)) << i;
    }
}

TEST(UninstallLogLayout, NewLinesFollowTheTemplateBytesUntouched)
{
    // The platform would rewrite the whole file in its own layout at every write; the log is only
    // added to, so the template's bytes (spacing, blank lines, LF line ends) stay as they were.
    ScratchDir dir;
    const std::string log = dir / "uninstall.ini";
    const std::string head = "[uninstall]\n  name = Quenthary  \n\n[files]\nkeep = 1";
    WriteWholeFile(log, head);
    int index = 0;
    for (int i = 0; i < 500; ++i) index = LogCreatedPath(log.c_str(), index, "C:\\x");
    WriteLogFileCount(log.c_str(), index);
    const std::string bytes = ReadWholeFile(log);
    const std::string first = "\r\nfile0=C:\\x\r\n";
    const std::string last = "\r\nfile499=C:\\x\r\nfilenum=500\r\n";
    ASSERT_GT(bytes.size(), head.size() + first.size() + last.size());
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(head.size(), first.size()), first);
    EXPECT_EQ(bytes.substr(bytes.size() - last.size()), last);
}

TEST(UninstallLogLayout, SectionsAfterFilesStayAfterIt)
{
    ScratchDir dir;
    const std::string log = dir / "uninstall.ini";
    WriteWholeFile(log, "[files]\r\n[uninstall]\r\nname=Quenthary\r\n");
    int index = 0;
    for (int i = 0; i < 3; ++i) index = LogCreatedPath(log.c_str(), index, "C:\\x");
    EXPECT_EQ(ReadWholeFile(log), "[files]\r\nfile0=C:\\x\r\nfile1=C:\\x\r\nfile2=C:\\x\r\n"
                                  "[uninstall]\r\nname=Quenthary\r\n");
}

// Many entries at once (an earlier installation's, carried over) leave what the platform leaves
// with one write each: in one insertion where every line is new and plain, one by one otherwise.
TEST(UninstallLogEquivalence, EntriesWrittenTogether)
{
    const std::vector<std::string> plain = {"C:\\Games\\Q\\a.txt", "  C:\\Games\\Q\\spaced.txt", "",
                                            "C:\\Games\\M\xfc" "ller\\b.txt"};
    std::vector<std::string> notPlain = plain;
    notPlain.push_back("C:\\two\r\nlines");
    const std::pair<const char*, const std::vector<std::string>*> cases[] = {
        {"[uninstall]\r\nproduct=Q\r\n", &plain},
        {"[files]\r\nfile1=old\r\n[registry]\r\nuninstallkey=x\r\n", &plain},
        {"[files]\r\nx=1\r\n[registry]\r\nuninstallkey=x\r\n", &plain},
        {"[uninstall]\nproduct=Q", &notPlain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        LogCase log;
        log.PutTemplate(c.first);
        const std::vector<std::string>& paths = *c.second;
        Writes writes;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            writes.push_back({"file" + std::to_string(i), paths[i]});
            WritePrivateProfileStringA("files", writes.back().first.c_str(), paths[i].c_str(), log.platform.c_str());
        }
        CUninstallLog ours(log.ours.c_str());
        EXPECT_EQ(ours.WriteFileEntries(0, paths), paths.size());
        ours.Close();
        EXPECT_EQ(Readback(log.ours, writes), Readback(log.platform, writes));
    }
}
