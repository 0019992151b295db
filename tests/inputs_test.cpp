// The setup directory, the installation script's keys and defaults, and the uninstall log.
#include <gtest/gtest.h>

#include "destination.h"
#include "module_dir.h"
#include "setup_files.h"
#include "test_support.h"

namespace {

std::string ReadLogValue(const std::string& log, const char* key)
{
    char buffer[MAX_PATH] = "";
    GetPrivateProfileStringA("files", key, "<missing>", buffer, MAX_PATH, log.c_str());
    return buffer;
}

class ScriptTest : public ::testing::Test {
protected:
    std::string script = TestProgramDir() + "setup.ini";
    void SetUp() override { DeleteFileA(script.c_str()); }
    void TearDown() override { DeleteFileA(script.c_str()); }
};

}  // namespace

TEST(ModuleDirectory, IsTheProgramFolderWithOneTrailingBackslash)
{
    CString dir = GetModuleDirectory();
    EXPECT_EQ(std::string(dir), TestProgramDir());
    ASSERT_GE(dir.GetLength(), 2);
    EXPECT_EQ(dir[dir.GetLength() - 1], '\\');
    EXPECT_NE(dir[dir.GetLength() - 2], '\\');
}

TEST_F(ScriptTest, MissingScriptGivesEveryDefault)
{
    EXPECT_EQ(ReadScript(Script::kTitle), "");
    EXPECT_EQ(ReadScript(Script::kLocation), "");
    EXPECT_EQ(ReadScript(Script::kNeedSpace), 0);
    EXPECT_EQ(ReadScript(Script::kTotalFiles), 0);
    EXPECT_EQ(ReadScript(Script::kGroup), "default group");
    EXPECT_EQ(ReadScript(Script::kItemNum), 0);
    EXPECT_EQ(ReadScriptItem(Script::kItemGroup, 0), "");
    EXPECT_EQ(ReadScriptItem(Script::kItemFileName, 0), "item");
    EXPECT_EQ(ReadScriptItem(Script::kItemArgument, 0), "");
    EXPECT_EQ(ReadScriptItem(Script::kItemDesc, 0), "desc");
    EXPECT_EQ(ReadScriptItem(Script::kItemDesktop, 0), 0);
}

TEST_F(ScriptTest, NamesMatchWithoutRegardToCaseAndItemKeysCarryTheirNumber)
{
    WriteWholeFile(script,
                   "[MAIN]\r\nTITLE=Quenthary Setup\r\nNeedSpace=120\r\n"
                   "[Shortcut]\r\nITEM12DESC=Play\r\nitem3desktop=1\r\n");
    EXPECT_EQ(ReadScript(Script::kTitle), "Quenthary Setup");
    EXPECT_EQ(ReadScript(Script::kNeedSpace), 120);
    EXPECT_EQ(ReadScriptItem(Script::kItemDesc, 12), "Play");
    EXPECT_EQ(ReadScriptItem(Script::kItemDesc, 1), "desc");
    EXPECT_EQ(ReadScriptItem(Script::kItemDesktop, 3), 1);
}

TEST_F(ScriptTest, LongValueIsCutTo259BytesAndIntegersTakeTheirLeadingDigits)
{
    std::string title(300, 'T');
    WriteWholeFile(script, "[main]\r\ntitle=" + title + "\r\nneedspace=12abc\r\ntotalfiles=x7\r\n");
    EXPECT_EQ(std::string(ReadScript(Script::kTitle)), title.substr(0, 259));
    EXPECT_EQ(ReadScript(Script::kNeedSpace), 12);
    EXPECT_EQ(ReadScript(Script::kTotalFiles), 0);
}

TEST_F(ScriptTest, ScriptIsReadAnewAtEveryUse)
{
    WriteWholeFile(script, "[main]\r\nlaunch=a.exe\r\n");
    EXPECT_EQ(ReadScript(Script::kLaunch), "a.exe");
    WriteWholeFile(script, "[main]\r\nlaunch=b.exe\r\n");
    EXPECT_EQ(ReadScript(Script::kLaunch), "b.exe");
}

// A UTF-8 byte-order mark does not hide the first section (the profile functions would take it for
// part of the first line), and says that the values are UTF-8: read in this test's code page (as a
// build for the machine's code page reads them), they come in its letters. A second section of the
// same name is not read.
TEST_F(ScriptTest, AByteOrderMarkIsSkippedAndOnlyTheFirstSectionOfANameCounts)
{
    ASSERT_EQ(GetACP(), 1252u);
    WriteWholeFile(script, "\xEF\xBB\xBF[main]\r\ntitle=Caf\xC3\xA9 Setup\r\n[shortcut]\r\ngroup=G\r\n"
                           "[main]\r\nlaunch=x.exe\r\n");
    EXPECT_EQ(ReadScript(Script::kTitle), "Caf\xE9 Setup");
    EXPECT_EQ(ReadScript(Script::kGroup), "G");
    EXPECT_EQ(ReadScript(Script::kLaunch), "");
    WriteWholeFile(script, "[main]\r\ntitle=Caf\xC3\xA9 Setup\r\n");
    EXPECT_EQ(ReadScript(Script::kTitle), "Caf\xC3\xA9 Setup") << "without the mark the bytes are the code page's";
}

// In a build for the machine's code page a template marked as UTF-8 is copied as it is: the mark
// tells the profile functions what it holds.
TEST(UninstallLog, ATemplateIsCopiedAsItIs)
{
    ScratchDir dir;
    const std::string from = dir / "template.ini", to = dir / "uninstall.ini";
    for (const std::string& body : {std::string("\xEF\xBB\xBF[uninstall]\r\nproduct=Caf\xC3\xA9\r\n"),
                                    std::string("[uninstall]\r\n")}) {
        WriteWholeFile(from, body);
        CopyLogTemplate(from.c_str(), to.c_str());
        EXPECT_EQ(ReadWholeFile(to), body);
    }
}

TEST(UninstallLog, EntriesAreNumberedAndAMissingLogIsCreated)
{
    ScratchDir dir;
    std::string log = dir / "uninstall.ini";
    int index = LogCreatedPath(log.c_str(), 0, "C:\\Games\\X\\a.txt");
    index = LogCreatedPath(log.c_str(), index, "C:\\Games\\X\\sub\\b.txt");
    WriteLogFileCount(log.c_str(), index);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(ReadLogValue(log, "file0"), "C:\\Games\\X\\a.txt");
    EXPECT_EQ(ReadLogValue(log, "file1"), "C:\\Games\\X\\sub\\b.txt");
    EXPECT_EQ(ReadLogValue(log, "filenum"), "2");
}

TEST(UninstallLog, TemplateKeepsItsOtherKeysAndKeysBeyondTheLastIndex)
{
    ScratchDir dir;
    std::string log = dir / "uninstall.ini";
    WriteWholeFile(log, "[uninstall]\r\nname=Quenthary\r\n[files]\r\nfile0=old0\r\nfile1=old1\r\n"
                        "file2=old2\r\nkeep=yes\r\n");
    int index = LogCreatedPath(log.c_str(), 0, "new0");
    LogCreatedPath(log.c_str(), index, "new1");
    EXPECT_EQ(ReadLogValue(log, "file0"), "new0");
    EXPECT_EQ(ReadLogValue(log, "file1"), "new1");
    EXPECT_EQ(ReadLogValue(log, "file2"), "old2");
    EXPECT_EQ(ReadLogValue(log, "keep"), "yes");
    char name[MAX_PATH] = "";
    GetPrivateProfileStringA("uninstall", "name", "", name, MAX_PATH, log.c_str());
    EXPECT_STREQ(name, "Quenthary");
}

TEST(CStringSearch, ReverseFindFindsTheLastBackslash)
{
    EXPECT_EQ(CString("C:\\Games\\Quenthary").ReverseFind('\\'), 8);
    EXPECT_EQ(CString("Quenthary").ReverseFind('\\'), -1);
    EXPECT_EQ(CString("D:\\Games\\").ReverseFind('\\'), 8);
    EXPECT_EQ(CString("D:\\Games\\Quenthary").Mid(9), "Quenthary");
}
