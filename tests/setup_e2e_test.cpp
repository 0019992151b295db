// The installer as its users meet it: the real setup.exe, in setup directories that the Windows
// build of mkpak makes, started as a process of its own and driven through its windows. Each test
// walks one way through an installation, checks the texts the user is shown on the way, and then
// everything left on disk: the installed files byte for byte, the whole uninstall log and every
// shortcut as the shell reads it back. The current user's Programs and Desktop shell folders point
// at the test's own folders while it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "dialog_driver.h"
#include "display_scale.h"
#include "link_probe.h"
#include "package_fixtures.h"
#include "resource.h"
#include "uninstall_res.h"
#include "shell_folders.h"
#include "test_support.h"
#include "vendor_product.h"

namespace {

constexpr char kTitle[] = "Quenthary Setup";
constexpr char kProgressCaption[] = "Extracting files...";
constexpr DWORD kExitTimeoutMs = 15000;
// Control ids of the shell's folder browse dialog (the same on Windows and Wine).
constexpr int kIdBrowseTree = 0x3741;
constexpr int kIdBrowseTitle = 0x3742;
constexpr int kIdBrowseStatus = 0x3743;

// The programs that the build puts beside this test program.
std::string Beside(const char* name)
{
    return TestProgramDir() + name;
}

struct ProductFile {
    std::string name;  // relative path, "\" between levels
    std::string bytes;
};

// The product: the stand-in program that the finish dialog starts, an empty file, a file larger
// than one read buffer and a file two levels down. Sorted by name, which is the package's order.
std::vector<ProductFile> SmallProduct()
{
    return {
        {"bin\\game.exe", ReadWholeFile(MarkerProgram())},
        {"data\\levels\\one.dat", SampleBytes(300000, 7)},
        {"empty.txt", ""},
        {"readme.txt", "Read me first.\r\n"},
    };
}

// Enough files that the file phase lasts a few seconds, so that the Cancel question comes while
// it runs (an entry costs about a millisecond).
std::vector<ProductFile> LargeProduct()
{
    std::vector<ProductFile> files;
    for (int i = 0; i < 2400; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "data\\part%04d.dat", i);
        files.push_back({name, SampleBytes(2000, i + 1)});
    }
    return files;
}

std::string Script(const std::string& location)
{
    return "[main]\r\n"
           "title=Quenthary Setup\r\n"
           "location=" + location + "\r\n"
           "launch=bin\\game.exe\r\n"
           "[shortcut]\r\n"
           "group=Quenthary\r\n"
           "itemnum=3\r\n"
           "item0FileName=bin\\game.exe\r\n"
           "item0Argument=-windowed\r\n"
           "item0Desc=Play Quenthary\r\n"
           "item0Desktop=1\r\n"
           "item1Group=Tools\r\n"
           "item2FileName=readme.txt\r\n"
           "item2Desc=Read me\r\n";
}

// What a folder holds, below it: relative path to bytes, folders as "<dir>".
using Tree = std::map<std::string, std::string>;

void AddTree(Tree& tree, const std::string& root, const std::string& relative)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + "\\" + relative + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[relative + name] = "<dir>";
            AddTree(tree, root, relative + name + "\\");
        } else {
            tree[relative + name] = ReadWholeFile(root + "\\" + relative + name);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

Tree TreeOf(const std::string& root)
{
    Tree tree;
    AddTree(tree, root, "");
    return tree;
}

// The folders and files of `files` as a tree.
Tree TreeOf(const std::vector<ProductFile>& files)
{
    Tree tree;
    for (const ProductFile& f : files) {
        tree[f.name] = f.bytes;
        for (std::size_t slash = f.name.find('\\'); slash != std::string::npos;
             slash = f.name.find('\\', slash + 1))
            tree[f.name.substr(0, slash)] = "<dir>";
    }
    return tree;
}

// Trees are compared by their names first, so that a failure says which file is extra or missing,
// then file by file.
void ExpectSameTree(const Tree& actual, const Tree& expected, const std::string& where)
{
    SCOPED_TRACE(where);
    std::vector<std::string> actualNames, expectedNames;
    for (const auto& entry : actual) actualNames.push_back(entry.first);
    for (const auto& entry : expected) expectedNames.push_back(entry.first);
    ASSERT_EQ(actualNames, expectedNames);
    for (const auto& [name, bytes] : expected) EXPECT_TRUE(SameBytes(actual.at(name), bytes)) << name;
}

// The uninstall log that the profile functions make from `templateBytes` and the entries
// file0, file1, ... and, when asked, "filenum".
std::string ExpectedLog(const std::string& templateBytes, const std::vector<std::string>& entries,
                        bool bCount)
{
    ScratchDir dir;
    std::string path = dir / "uninstall.ini";
    WriteWholeFile(path, templateBytes);
    for (std::size_t i = 0; i < entries.size(); ++i)
        WritePrivateProfileStringA("files", ("file" + std::to_string(i)).c_str(), entries[i].c_str(),
                                   path.c_str());
    if (bCount)
        WritePrivateProfileStringA("files", "filenum", std::to_string(entries.size()).c_str(),
                                   path.c_str());
    return ReadWholeFile(path);
}

// Free MiB as the installer reckons them for the drive named by `drive`; false when the query
// fails.
bool FreeMegabytes(const std::string& drive, std::int64_t& megabytes)
{
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(drive.c_str(), &available, nullptr, nullptr)) return false;
    megabytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(available.QuadPart >> 20));
    return true;
}

// The two space fields of the destination dialog, for the destination `dest` and the script's
// needspace. Other programs write to the same disk meanwhile, so the available field must lie
// between the driver's own readings taken before the installer's query (`before`) and after
// reading the field.
class SpaceReading {
public:
    explicit SpaceReading(const std::string& dest) : m_drive(dest.substr(0, 2))
    {
        m_bOk = FreeMegabytes(m_drive, m_before);
    }

    ::testing::AssertionResult Shown(HWND dialog, int needspace) const
    {
        std::string required = ControlText(dialog, IDC_REQUIRED);
        std::string available = ControlText(dialog, IDC_AVAILABLE);
        std::int64_t after = 0;
        bool bOk = FreeMegabytes(m_drive, after);
        if (bOk != m_bOk)
            return ::testing::AssertionFailure() << "the query of " << m_drive << " changed its mind";
        if (!bOk) {
            if (required == "0 M" && available == "0 M") return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure()
                   << "a failed query of \"" << m_drive << "\" shows " << required << " / " << available;
        }
        if (required != std::to_string(needspace) + " M")
            return ::testing::AssertionFailure() << "required shows " << required << ", needspace is "
                                                 << needspace;
        for (std::int64_t mb = std::min(m_before, after); mb <= std::max(m_before, after); ++mb)
            if (available == std::to_string(mb) + " M") return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "available shows " << available << ", the driver read "
                                             << m_before << " and " << after << " MiB";
    }

private:
    std::string m_drive;
    bool m_bOk = false;
    std::int64_t m_before = 0;
};

// Points the current user's "Programs" and "Desktop" shell folders at the given folders, under
// "Shell Folders", which the installer reads, and under "User Shell Folders": Wine's shell copies
// a folder from there into "Shell Folders" whenever it looks one up (its desktop process does so
// when it starts with the installer's first window), which would otherwise undo the redirection
// halfway through an installation. Everything is put back when the object goes.
// (tests/shortcuts_test.cpp has a guard of its own for the first key.)
class Installer : public ::testing::Test {
protected:
    Installer()
        : m_folders(m_scratch.Path()),
          m_programs(m_folders.programs),
          m_desktop(m_folders.desktop),
          m_games(m_scratch / "Games"),
          m_location(m_games + "\\Quenthary")
    {
        CreateDirectoryA(m_games.c_str(), nullptr);
    }

    // Installs a product whose names hold letters of three scripts, with the installer built for
    // UTF-8, and checks every name and the log (defined with the tests that use it).
    void InstallNamesOfEveryScript();

    // Builds the setup directory with mkpak from `files` and `script`, around the installer
    // `setupExe` (a program beside this test); its path, with a trailing backslash.
    std::string MakeSetupDir(const std::vector<ProductFile>& files, const std::string& script,
                             const char* setupExe = "setup.exe")
    {
        std::string product = m_scratch / "product";
        CreateDirectoryA(product.c_str(), nullptr);
        for (const auto& [name, bytes] : TreeOf(files)) {
            if (bytes == "<dir>")
                CreateDirectoryA((product + "\\" + name).c_str(), nullptr);
            else
                WriteWholeFile(product + "\\" + name, bytes);
        }
        std::string scriptPath = m_scratch / "script.ini";
        WriteWholeFile(scriptPath, script);
        std::string setup = m_scratch / "setup";
        DWORD code = RunProgram(Beside("mkpak.exe"),
                                "build --complete --script \"" + scriptPath + "\" --setup-exe \"" +
                                    Beside(setupExe) + "\" \"" + product + "\" \"" + setup + "\"");
        EXPECT_EQ(code, 0u) << "mkpak could not build the setup directory";
        m_files = files;
        return setup + "\\";
    }

    // Puts the installer as built, without a stamp, in place of the stamped one of `setupDir`,
    // for a test that changes the setup directory after mkpak made it.
    void Unstamp(const std::string& setupDir)
    {
        ASSERT_TRUE(CopyFileA(Beside("setup.exe").c_str(), (setupDir + "setup.exe").c_str(), FALSE));
    }

    std::string SetupFile(const std::string& setupDir, const char* name) const
    {
        return setupDir + name;
    }
    int NeedSpace(const std::string& setupDir) const
    {
        return GetPrivateProfileIntA("main", "needspace", -1, (setupDir + "setup.ini").c_str());
    }

    // Starts the installer of `setupDir`, in that folder as a double click would, and checks its
    // destination dialog (caption, location, space fields), which it returns. m_before keeps the
    // test's folders as they were just before the start.
    HWND StartAtDestination(const std::string& setupDir)
    {
        return StartAtDestination(setupDir, kTitle, m_location, NeedSpace(setupDir));
    }
    HWND StartAtDestination(const std::string& setupDir, const std::string& caption,
                            const std::string& location, int needspace,
                            const std::string& program = "setup.exe")
    {
        m_before = TreeOf(m_scratch.Path());
        SpaceReading space(location);
        m_setup = std::make_unique<ChildProcess>(setupDir + program, "", setupDir);
        EXPECT_TRUE(m_setup->Started());
        return ExpectDestinationDialog(*m_setup, caption, location, needspace, space);
    }

    // The destination dialog: its caption, the location in the edit and the two space fields.
    HWND ExpectDestinationDialog(const ChildProcess& setup, const std::string& caption,
                                 const std::string& location, int needspace,
                                 const SpaceReading& space)
    {
        HWND dialog = WaitForDialog(caption, setup.Id());
        if (!dialog) {
            ADD_FAILURE() << "no destination dialog captioned \"" << caption << "\"";
            return nullptr;
        }
        EXPECT_EQ(ControlText(dialog, IDC_DEST), location);
        EXPECT_TRUE(space.Shown(dialog, needspace));
        return dialog;
    }

    // Answers the message box that the process shows next: checks caption, text and icon, then
    // presses `button`.
    void AnswerMessageBox(const ChildProcess& setup, const std::string& caption,
                          const std::string& text, bool bIcon, int button)
    {
        HWND box = WaitForDialog(caption, setup.Id());
        ASSERT_NE(box, nullptr) << "no message box \"" << text << "\"";
        EXPECT_EQ(MessageBoxText(box), text);
        EXPECT_EQ(MessageBoxIcon(box) != nullptr, bIcon) << text;
        PressButton(box, button);
        EXPECT_TRUE(WaitUntilGone(box));
    }

    // The expected log entries of the file phase for the destination `dest` as the user gave it.
    std::vector<std::string> FileEntries(const std::string& dest, std::size_t count) const
    {
        std::vector<std::string> entries;
        for (std::size_t i = 0; i < count; ++i) entries.push_back(dest + "\\" + m_files[i].name);
        return entries;
    }
    // The whole log of a completed installation: every file, then the script's group, its
    // shortcuts and sub-folder in item order, and "filenum".
    std::string CompletedLog(const std::string& dest) const
    {
        std::vector<std::string> entries = FileEntries(dest, m_files.size());
        entries.push_back(m_programs + "\\Quenthary");
        entries.push_back(m_programs + "\\Quenthary\\Play Quenthary.lnk");
        entries.push_back(m_desktop + "\\Play Quenthary.lnk");
        entries.push_back(m_programs + "\\Quenthary\\Tools");
        entries.push_back(m_programs + "\\Quenthary\\Tools\\Read me.lnk");
        return ExpectedLog(m_template, entries, true);
    }

    // The product as a tree plus the log (and, after Finish, the marker that the started program
    // leaves), for comparison with the destination.
    Tree InstalledTree(const std::string& log) const
    {
        Tree tree = TreeOf(m_files);
        tree["uninstall.ini"] = log;
        return tree;
    }

    // Nothing anywhere in the test's folders changed: setup directory, destination folder,
    // Programs and Desktop.
    void ExpectUntouched() const
    {
        ExpectSameTree(TreeOf(m_scratch.Path()), m_before, "the test's folders");
    }
    // Leaves the destination dialog with Cancel: the installer ends, having changed nothing.
    void CancelUntouched(HWND dialog)
    {
        PressButton(dialog, IDCANCEL);
        ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs)) << "the installer is still running";
        ExpectUntouched();
    }

    ScratchDir m_scratch;
    TestShellFolders m_folders;
    std::unique_ptr<ChildProcess> m_setup;
    Tree m_before;
    std::string m_programs, m_desktop, m_games, m_location;
    std::vector<ProductFile> m_files;
    const std::string m_template = "[uninstall]\r\n";  // mkpak's default log template
};

// --- Leaving the destination dialog -------------------------------------------------------------

enum class Leave { CancelButton, CloseBox, Escape };

class LeavingDestination : public Installer, public ::testing::WithParamInterface<Leave> {};

TEST_P(LeavingDestination, EndsTheInstallerWithNothingCreated)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);

    switch (GetParam()) {
    case Leave::CancelButton: PressButton(dialog, IDCANCEL); break;
    case Leave::CloseBox: PressCloseBox(dialog); break;
    case Leave::Escape: PressEscape(dialog); break;
    }
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs)) << "the installer is still running";
    ExpectUntouched();
}

INSTANTIATE_TEST_SUITE_P(Installer, LeavingDestination,
                         ::testing::Values(Leave::CancelButton, Leave::CloseBox, Leave::Escape),
                         [](const ::testing::TestParamInfo<Leave>& info) {
                             switch (info.param) {
                             case Leave::CancelButton: return std::string("CancelButton");
                             case Leave::CloseBox: return std::string("CloseBox");
                             case Leave::Escape: return std::string("Escape");
                             }
                             return std::string();
                         });

// --- Destinations refused and browsed -----------------------------------------------------------

TEST_F(Installer, TwoCharacterDestinationIsRefusedAndThreeAreMeasured)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    int needspace = NeedSpace(setupDir);
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);

    // Typed character by character: both fields follow every change of the edit.
    HWND edit = GetDlgItem(dialog, IDC_DEST);
    SetControlText(dialog, IDC_DEST, "");
    EXPECT_TRUE(SpaceReading("").Shown(dialog, needspace));
    std::string typed;
    for (char c : std::string("Z:")) {
        typed += c;
        SpaceReading space(typed);
        SendMessageA(edit, WM_CHAR, static_cast<BYTE>(c), 1);
        EXPECT_TRUE(space.Shown(dialog, needspace)) << "after typing " << typed;
    }
    EXPECT_EQ(ControlText(dialog, IDC_DEST), "Z:");
    PressButton(dialog, IDOK);
    AnswerMessageBox(*m_setup, "Setup", "Location not available! ", true, IDOK);
    EXPECT_EQ(ControlText(dialog, IDC_DEST), "Z:") << "a refused destination stays as typed";

    // A third character passes the length check; the space check then takes "Z:\".
    SpaceReading space("Z:\\");
    SendMessageA(edit, WM_CHAR, '\\', 1);
    EXPECT_TRUE(space.Shown(dialog, needspace));
    ASSERT_TRUE(IsWindowVisible(dialog));
    CancelUntouched(dialog);
}

TEST_F(Installer, TooLittleSpaceIsRefusedWithTheRequiredAmount)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    Unstamp(setupDir);
    // Far more than any disk that the tests run on has free.
    WritePrivateProfileStringA("main", "needspace", "2000000000", (setupDir + "setup.ini").c_str());
    HWND dialog = StartAtDestination(setupDir, kTitle, m_location, 2000000000);
    ASSERT_NE(dialog, nullptr);

    PressButton(dialog, IDOK);
    AnswerMessageBox(*m_setup, "Setup",
                     "Free disk space not enough,requires at least 2000000000M of disk space!", true,
                     IDOK);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
    EXPECT_EQ(ControlText(dialog, IDC_DEST), m_location);
    PressCloseBox(dialog);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));
    ExpectUntouched();
}

TEST_F(Installer, WithoutScriptTheDialogIsEmptyAndRefusesTheEmptyDestination)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    Unstamp(setupDir);
    ASSERT_TRUE(DeleteFileA((setupDir + "setup.ini").c_str()));
    HWND dialog = StartAtDestination(setupDir, "", "", 0);
    ASSERT_NE(dialog, nullptr);

    PressButton(dialog, IDOK);
    AnswerMessageBox(*m_setup, "Setup", "Location not available! ", true, IDOK);
    CancelUntouched(dialog);
}

TEST_F(Installer, BrowseOpensOnDriveCAndAppendsTheProductFolderName)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    int needspace = NeedSpace(setupDir);
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);
    // Edited by hand first: the folder name still comes from the script's location.
    SetControlText(dialog, IDC_DEST, "Q:\\Elsewhere\\Other");

    PressButton(dialog, IDC_BROWSE);
    HWND browser = WaitForDialogWithControl(kIdBrowseTree, m_setup->Id());
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    EXPECT_EQ(ControlText(browser, kIdBrowseTitle), "Please select a folder");
    // The status line shows the path of the selection the browser opened on.
    ASSERT_TRUE(WaitUntil([&] { return !ControlText(browser, kIdBrowseStatus).empty(); }));
    std::string opened = ControlText(browser, kIdBrowseStatus);
    EXPECT_EQ(lstrcmpiA(opened.c_str(), "c:\\"), 0) << opened;

    SpaceReading space("c:");
    PressButton(browser, IDOK);
    ASSERT_TRUE(WaitUntilGone(browser));
    std::string dest = ControlText(dialog, IDC_DEST);
    EXPECT_EQ(lstrcmpiA(dest.c_str(), "c:\\Quenthary"), 0) << dest;
    EXPECT_EQ(dest.substr(1), ":\\Quenthary") << "the product folder name, appended after one backslash";
    EXPECT_TRUE(space.Shown(dialog, needspace));

    CancelUntouched(dialog);
}

// --- Installations ------------------------------------------------------------------------------

TEST_F(Installer, CompleteInstallationEndsWithFinishAndStartsTheProgram)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);
    // mkpak's picture is 400 x 60 pixels; the picture control takes its size.
    RECT picture;
    GetClientRect(GetDlgItem(dialog, IDC_PICTURE), &picture);
    EXPECT_EQ(picture.right, 400);
    EXPECT_EQ(picture.bottom, 60);

    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilGone(dialog));
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
    ASSERT_NE(finish, nullptr) << "no finish dialog";
    EXPECT_EQ(WindowText(finish), kTitle);
    EXPECT_EQ(ControlText(finish, IDC_LAUNCH), "&Launch Quenthary");
    EXPECT_EQ(SendMessageA(GetDlgItem(finish, IDC_LAUNCH), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(m_setup->Ends(0)) << "the installer ends only when the finish dialog is closed";

    // Everything is in place before Finish: the files, the whole log, the shortcuts.
    std::string log = CompletedLog(m_location);
    ExpectSameTree(TreeOf(m_location), InstalledTree(log), "the destination");

    LinkContents play = CreatedLink(m_location + "\\bin\\game.exe", "-windowed", m_location,
                                    "Play Quenthary");
    EXPECT_EQ(ReadLink(m_programs + "\\Quenthary\\Play Quenthary.lnk"), play);
    EXPECT_EQ(ReadLink(m_desktop + "\\Play Quenthary.lnk"), play);
    EXPECT_EQ(ReadLink(m_programs + "\\Quenthary\\Tools\\Read me.lnk"),
              CreatedLink(m_location + "\\readme.txt", "", m_location, "Read me"));
    Tree programs = TreeOf(m_programs);
    EXPECT_EQ(programs.size(), 4u) << "the group, its sub-folder and two shortcuts";
    EXPECT_EQ(TreeOf(m_desktop).size(), 1u);

    PressButton(finish, IDOK);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs)) << "the installer is still running after Finish";
    std::string ran = m_location + "\\bin\\game.exe.ran";
    ASSERT_TRUE(WaitForFile(ran)) << "Finish did not start the installed program";
    Tree expected = InstalledTree(log);
    expected["bin\\game.exe.ran"] = ReadWholeFile(ran);
    ExpectSameTree(TreeOf(m_location), expected, "the destination after Finish");
}

TEST_F(Installer, DestinationTypedWithTrailingBackslashReachesTheLogUnchanged)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);
    // The caret goes to the end of the proposed location, and a backslash is typed there.
    HWND edit = GetDlgItem(dialog, IDC_DEST);
    SendMessageA(edit, EM_SETSEL, m_location.size(), m_location.size());
    SendMessageA(edit, WM_CHAR, '\\', 1);
    std::string typed = m_location + "\\";
    ASSERT_EQ(ControlText(dialog, IDC_DEST), typed);

    PressButton(dialog, IDOK);
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
    ASSERT_NE(finish, nullptr) << "no finish dialog";
    // Closed with its close box: the installer ends without starting the program.
    PressCloseBox(finish);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));

    // Every file path holds the destination as typed, doubled backslash and all; the shortcuts
    // point into the destination without its trailing backslash.
    ExpectSameTree(TreeOf(m_location), InstalledTree(CompletedLog(typed)), "the destination");
    EXPECT_EQ(ReadLink(m_desktop + "\\Play Quenthary.lnk"),
              CreatedLink(m_location + "\\bin\\game.exe", "-windowed", m_location, "Play Quenthary"));
}

TEST_F(Installer, MissingPackageEndsAfterItsMessageWithOnlyTheLogTemplate)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    Unstamp(setupDir);
    ASSERT_TRUE(DeleteFileA((setupDir + "data.pak").c_str()));
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);

    PressButton(dialog, IDOK);
    AnswerMessageBox(*m_setup, "setup", "pack file open failed!", false, IDOK);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs)) << "the progress dialog did not close";
    Tree expected;
    expected["uninstall.ini"] = m_template;
    ExpectSameTree(TreeOf(m_location), expected, "the destination");
    EXPECT_TRUE(TreeOf(m_programs).empty());
    EXPECT_TRUE(TreeOf(m_desktop).empty());
}

TEST_F(Installer, CancelConfirmedDuringTheFilePhaseKeepsWhatWasInstalled)
{
    std::string setupDir = MakeSetupDir(LargeProduct(), Script(m_location));
    int total = static_cast<int>(m_files.size());
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);

    PressButton(dialog, IDOK);
    HWND progress = WaitForDialog(kProgressCaption, m_setup->Id());
    ASSERT_NE(progress, nullptr) << "no progress dialog";
    PressButton(progress, IDCANCEL);
    HWND box = WaitForDialog("setup", m_setup->Id());
    ASSERT_NE(box, nullptr) << "no cancel question";
    EXPECT_EQ(MessageBoxText(box), "Cancel setup?");
    EXPECT_NE(MessageBoxIcon(box), nullptr);
    // The worker waits while the question is open: the bar and the label stand still.
    DWORD_PTR position = 0;
    SendMessageTimeoutA(GetDlgItem(progress, IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG,
                        5000, &position);
    std::string label = ControlText(progress, IDC_DEST_FILE);
    ASSERT_LT(static_cast<int>(position), total) << "the file phase was over before the question";
    PressButton(box, IDYES);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs)) << "the installer did not end after the cancel";

    // The entries installed before the cancel, each whole and logged, and nothing of the next one:
    // the cancel is seen before it is read. No "filenum", no shortcuts.
    std::string logPath = m_location + "\\uninstall.ini";
    std::vector<std::string> logged = LoggedPaths(logPath);
    std::size_t count = logged.size();
    ASSERT_LT(count, m_files.size()) << "the cancel stopped nothing";
    EXPECT_EQ(logged, FileEntries(m_location, count));
    if (position > 0) {
        EXPECT_NE(std::find(logged.begin(), logged.end(), label), logged.end())
            << "the file shown during the question, " << label << ", was not completed";
    }
    EXPECT_GE(static_cast<int>(count), static_cast<int>(position));

    std::vector<ProductFile> installed(m_files.begin(), m_files.begin() + count);
    Tree expected = TreeOf(installed);
    expected["data"] = "<dir>";
    expected["uninstall.ini"] = ExpectedLog(m_template, logged, false);
    Tree actual = TreeOf(m_location);
    ExpectSameTree(actual, expected, "the destination");
    EXPECT_TRUE(TreeOf(m_programs).empty());
    EXPECT_TRUE(TreeOf(m_desktop).empty());
}

// --- A double-byte code page --------------------------------------------------------------------

// Run under code page 932 by a CTest entry of their own. There 0x95 0x5C is one character whose
// trail byte is a backslash: every search for the last backslash must step over it, in the
// installer built for the machine's code page.
class CodePage932 : public Installer {
protected:
    void SetUp() override
    {
        if (GetACP() == 932) return;
        if (IsCiRun()) FAIL() << "not under code page 932: the test's CTest entry sets LC_ALL=ja_JP.UTF-8";
        GTEST_SKIP() << "not under code page 932 (run through CTest, which sets the locale)";
    }
};

const std::string kDoubleByte = "\x95\x5C";

// The setup directory and the installer's own name, the destination and its missing parent, the
// Programs and Desktop folders each end in that character. The installer finds its script, the
// browsed destination keeps the product folder's name, and the log, the folders and the shortcuts
// name every path whole.
TEST_F(CodePage932, PathsEndingInATrailByteBackslashStayWhole)
{
    ASSERT_TRUE(IsDBCSLeadByte(0x95));
    m_programs = m_scratch / ("Programs" + kDoubleByte);
    m_desktop = m_scratch / ("Desktop" + kDoubleByte);
    for (const std::string* folder : {&m_programs, &m_desktop}) {
        ASSERT_TRUE(CreateDirectoryA(folder->c_str(), nullptr));
        SetShellFolder(folder == &m_programs ? "Programs" : "Desktop", folder);
    }
    m_location = m_scratch / ("Games" + kDoubleByte + "\\" + kDoubleByte);
    // The installer built for the machine's code page: one built for UTF-8 reads every name in
    // UTF-8 whatever the machine's code page.
    std::string built = MakeSetupDir(SmallProduct(), Script(m_location), "system\\setup.exe");
    int needspace = NeedSpace(built);
    std::string setupDir = m_scratch / ("setup" + kDoubleByte) + "\\";
    ASSERT_TRUE(MoveFileA(built.substr(0, built.size() - 1).c_str(),
                          setupDir.substr(0, setupDir.size() - 1).c_str()));
    const std::string program = kDoubleByte + ".exe";
    ASSERT_TRUE(MoveFileA((setupDir + "setup.exe").c_str(), (setupDir + program).c_str()));

    HWND dialog = StartAtDestination(setupDir, kTitle, m_location, needspace, program);
    ASSERT_NE(dialog, nullptr) << "the installer did not find its script beside itself";
    PressButton(dialog, IDC_BROWSE);
    HWND browser = WaitForDialogWithControl(kIdBrowseTree, m_setup->Id());
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    ASSERT_TRUE(WaitUntil([&] { return !ControlText(browser, kIdBrowseStatus).empty(); }));
    PressButton(browser, IDOK);
    ASSERT_TRUE(WaitUntilGone(browser));
    EXPECT_EQ(ControlText(dialog, IDC_DEST).substr(1), ":\\" + kDoubleByte);

    SetControlText(dialog, IDC_DEST, m_location);
    PressButton(dialog, IDOK);
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
    ASSERT_NE(finish, nullptr) << "no finish dialog";
    PressCloseBox(finish);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));

    ExpectSameTree(TreeOf(m_location), InstalledTree(CompletedLog(m_location)), "the destination");
    LinkContents play = CreatedLink(m_location + "\\bin\\game.exe", "-windowed", m_location,
                                    "Play Quenthary");
    EXPECT_EQ(ReadLink(m_programs + "\\Quenthary\\Play Quenthary.lnk"), play);
    EXPECT_EQ(ReadLink(m_desktop + "\\Play Quenthary.lnk"), play);
}

// --- DLLs planted beside the installer ----------------------------------------------------------

// DLLs that Wine's system DLLs load by bare name only after start-up, while the installer runs
// (WINEDEBUG=+loaddll): msimg32 when the first themed control is painted. The DLLs bound at start
// (version, imm32 and the like) are loaded by Wine before any code of the program runs and prove
// nothing either way.
const char* const kPlantedDlls[] = {"msimg32"};

// Tells Wine to prefer a native DLL of each planted name, for programs named setup.exe only, while
// the object lives. (WINEDLLOVERRIDES would do the same, but Wine 8 reads it from the Unix
// environment, which a process started by a Windows program does not take from it.)
class PreferNativeDlls {
public:
    PreferNativeDlls()
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                            nullptr) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot open " << kKey;
            m_key = nullptr;
            return;
        }
        for (const char* name : kPlantedDlls)
            RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"),
                           sizeof "native,builtin");
    }
    ~PreferNativeDlls()
    {
        if (!m_key) return;
        for (const char* name : kPlantedDlls) RegDeleteValueA(m_key, name);
        RegCloseKey(m_key);
    }
    PreferNativeDlls(const PreferNativeDlls&) = delete;
    PreferNativeDlls& operator=(const PreferNativeDlls&) = delete;

private:
    static constexpr char kKey[] = "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides";
    HKEY m_key = nullptr;
};

// Runs an installation from `setupDir` with a copy of the planted DLL beside the installer under
// each name of kPlantedDlls: the user browses, installs and closes the finish dialog. Returns the
// names whose DLL was loaded; a run that loads one is ended as soon as that is known.
std::vector<std::string> PlantedDllsLoaded(const std::string& setupDir)
{
    for (const char* name : kPlantedDlls)
        EXPECT_TRUE(CopyFileA(Beside("planted.dll").c_str(), (setupDir + name + ".dll").c_str(), FALSE));
    auto loaded = [&] {
        std::vector<std::string> names;
        for (const char* name : kPlantedDlls)
            if (FileExists(setupDir + name + ".dll.loaded")) names.push_back(name);
        return names;
    };

    PreferNativeDlls preferNative;
    ChildProcess setup(setupDir + "setup.exe", "", setupDir);
    EXPECT_TRUE(setup.Started());
    HWND dialog = WaitForDialog(kTitle, setup.Id());
    if (!dialog || !loaded().empty()) return loaded();
    PressButton(dialog, IDC_BROWSE);
    HWND browser = WaitForDialogWithControl(kIdBrowseTree, setup.Id());
    if (!browser || !loaded().empty()) return loaded();
    PressButton(browser, IDCANCEL);
    WaitUntilGone(browser);
    PressButton(dialog, IDOK);
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, setup.Id());
    if (!finish || !loaded().empty()) return loaded();
    PressCloseBox(finish);
    EXPECT_TRUE(setup.Ends(kExitTimeoutMs));
    return loaded();
}

TEST_F(Installer, DllsPlantedBesideTheInstallerAreNotLoaded)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    EXPECT_EQ(PlantedDllsLoaded(setupDir), std::vector<std::string>());
    // The installation went through, on the system's own DLLs.
    EXPECT_EQ(LoggedPaths(m_location + "\\uninstall.ini").size(), m_files.size() + 5);
}

// The same run with a build of the installer that leaves the DLL search as the system sets it up:
// the planted DLL is loaded, so the test above would catch a lost restriction.
TEST_F(Installer, DllsPlantedBesideAnUnguardedBuildAreLoaded)
{
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location), "setup_unguarded.exe");
    std::vector<std::string> loaded = PlantedDllsLoaded(setupDir);
    EXPECT_EQ(loaded, std::vector<std::string>(std::begin(kPlantedDlls), std::end(kPlantedDlls)));
    for (const std::string& name : loaded)
        EXPECT_EQ(ReadWholeFile(setupDir + name + ".dll.loaded"), setupDir + "setup.exe\n");
}

// --- A vendor's build ---------------------------------------------------------------------------

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

std::wstring WideWindowText(HWND hwnd)
{
    wchar_t text[1024] = L"";
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, nullptr);
    return text;
}

std::wstring Doubled(std::wstring text, wchar_t c)
{
    for (std::size_t at = text.find(c); at != std::wstring::npos; at = text.find(c, at + 2))
        text.insert(at, 1, c);
    return text;
}

// A resource of `module` as bytes, in `language` (as the program's own lookup finds it when
// neutral); empty when it has none.
std::string ResourceBytes(HMODULE module, LPCSTR type, int id, LANGID language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))
{
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
    if (!found) return std::string();
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

// The font that the dialog manager makes for dialog `id` of `module` (its template's FONT, at
// `dpi`, the screen's resolution when 0), in `language` as ResourceBytes finds it: another
// process's font handle means nothing in this one.
HFONT TemplateFont(HMODULE module, int id, int dpi = 0, LANGID language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))
{
    std::string bytes = ResourceBytes(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, id, language);
    if (bytes.size() < sizeof(DLGTEMPLATE)) return nullptr;
    const WORD* w = reinterpret_cast<const WORD*>(bytes.data());
    // DIALOGEX: version 1 and the signature 0xFFFF, then help id, extended style and style.
    const bool extended = w[0] == 1 && w[1] == 0xFFFF;
    const DWORD style = extended ? *reinterpret_cast<const DWORD*>(bytes.data() + 12)
                                 : reinterpret_cast<const DLGTEMPLATE*>(bytes.data())->style;
    if (!(style & DS_SETFONT)) return nullptr;
    w = reinterpret_cast<const WORD*>(bytes.data() + (extended ? 26 : sizeof(DLGTEMPLATE)));
    auto skipSzOrOrd = [&w]() {
        if (*w == 0xFFFF) w += 2;
        else while (*w++) {}
    };
    skipSzOrOrd();  // menu
    skipSzOrOrd();  // class
    while (*w++) {}  // caption
    int points = *w++;
    int weight = FW_NORMAL;
    BYTE charset = DEFAULT_CHARSET;
    if (extended) {
        weight = *w++;
        charset = static_cast<BYTE>(*w++ >> 8);  // italic, then the character set
    }
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(points, dpi ? dpi : GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontW(-pixels, 0, 0, 0, weight ? weight : FW_NORMAL, FALSE, FALSE, FALSE, charset, 0, 0, 0,
                       0, reinterpret_cast<const wchar_t*>(w));
}

// The text of `control` drawn `width` pixels wide in `font` with `flags`: the rectangle it needs.
SIZE TextNeeds(HFONT font, const std::wstring& text, UINT flags, int width)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT rc = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{rc.right, rc.bottom};
}

std::string VersionValue(const std::vector<char>& info, const char* name)
{
    std::wstring key = L"\\StringFileInfo\\040904B0\\" + Wide(name);
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) return "<none>";
    return Utf8(value);
}

void ExpectVersionResource(const std::string& program, const std::string& description)
{
    SCOPED_TRACE(program);
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), nullptr);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, info.data()));
    EXPECT_EQ(VersionValue(info, "ProductName"), kVendorProduct);
    EXPECT_EQ(VersionValue(info, "FileDescription"), std::string(kVendorProduct) + " " + description);
    EXPECT_EQ(VersionValue(info, "CompanyName"), kVendorCompany);
    // Given as "3.014.27".
    EXPECT_EQ(VersionValue(info, "ProductVersion"), "3.14.27.0");
    EXPECT_EQ(VersionValue(info, "FileVersion"), "3.14.27.0");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(3 << 16 | 14));
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(27 << 16 | 0));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
}

// The icon group of `module` holds exactly the images of the .ico file, byte for byte.
void ExpectIconOf(HMODULE module, int id, const std::string& ico)
{
    std::string group = ResourceBytes(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, id);
    ASSERT_GE(group.size(), 6u) << "no icon " << id;
    auto word = [](const std::string& b, std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
    };
    auto dword = [&](const std::string& b, std::size_t at) { return word(b, at) | word(b, at + 2) << 16; };
    unsigned count = word(group, 4);
    ASSERT_EQ(count, word(ico, 4)) << "images in the icon";
    for (unsigned i = 0; i < count; ++i) {
        // Group entries are 14 bytes (the image's id last), the file's 16 (its offset last).
        unsigned imageId = word(group, 6 + 14 * i + 12);
        std::string image = ResourceBytes(module, MAKEINTRESOURCEA(3) /* RT_ICON */, imageId);
        std::size_t size = dword(ico, 6 + 16 * i + 8), offset = dword(ico, 6 + 16 * i + 12);
        EXPECT_EQ(image, ico.substr(offset, size)) << "image " << i;
    }
}

// A vendor's build of setup.exe and uninstall.exe: the product's name in the finish dialog's
// three texts, whole whatever its length, its icon, its picture and its version resource.
TEST_F(Installer, AVendorsBuildShowsItsProductWholeWithItsIconPictureAndVersion)
{
    const std::string vendor = Beside("vendor\\");
    std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location), "vendor\\setup.exe");
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilGone(dialog));
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
    ASSERT_NE(finish, nullptr) << "no finish dialog";

    // The dialog's controls in their order: Finish, the picture, the check box, the two texts.
    std::vector<HWND> controls;
    for (HWND c = GetWindow(finish, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
    ASSERT_EQ(controls.size(), 6u);
    const std::wstring product = Doubled(Wide(kVendorProduct), L'&');
    struct Text {
        HWND hwnd;
        std::wstring text;
    };
    const Text launch{controls[2], L"&Launch " + product};
    const Text finished{controls[3], L"Setup has finished installing " + product + L" on your computer."};
    const Text option{controls[4], L"Select the following option if you want " + product +
                                       L" to be launched after exiting this install program."};

    HMODULE setupModule = LoadLibraryExA((vendor + "setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(setupModule, nullptr);
    HFONT font = TemplateFont(setupModule, IDD_FINISH);
    ASSERT_NE(font, nullptr);
    RECT dialogClient;
    GetClientRect(finish, &dialogClient);
    // A check box's box: 13 pixels at 96 dpi, and a gap of up to 6 before its text.
    HDC screen = GetDC(nullptr);
    const int box = MulDiv(19, GetDeviceCaps(screen, LOGPIXELSX), 96);
    ReleaseDC(nullptr, screen);
    int previousBottom = 0;
    for (const Text& t : {finished, option, launch}) {
        SCOPED_TRACE(std::string(WindowText(t.hwnd)));
        EXPECT_EQ(WideWindowText(t.hwnd), t.text);
        RECT client, placed;
        GetClientRect(t.hwnd, &client);
        GetWindowRect(t.hwnd, &placed);
        MapWindowPoints(nullptr, finish, reinterpret_cast<POINT*>(&placed), 2);
        bool bCheckBox = t.hwnd == launch.hwnd;
        LONG style = GetWindowLongA(t.hwnd, GWL_STYLE);
        if (bCheckBox && !(style & BS_MULTILINE)) {
            SIZE line = TextNeeds(font, t.text, DT_SINGLELINE, 0);
            EXPECT_LE(box + line.cx, client.right) << "the check box's text needs " << line.cx << " pixels";
        } else {
            int width = client.right - (bCheckBox ? box : 0);
            SIZE need = TextNeeds(font, t.text, DT_WORDBREAK | DT_EXPANDTABS, width);
            EXPECT_LE(need.cx, width);
            EXPECT_LE(need.cy, client.bottom) << "the text needs " << need.cy << " pixels";
        }
        // Inside the dialog, each below the one before it and none over another.
        EXPECT_GE(placed.top, previousBottom);
        EXPECT_LE(placed.right, dialogClient.right);
        previousBottom = placed.bottom;
    }
    RECT finishButton;
    GetWindowRect(controls[0], &finishButton);
    MapWindowPoints(nullptr, finish, reinterpret_cast<POINT*>(&finishButton), 2);
    EXPECT_GT(finishButton.top, previousBottom);
    EXPECT_LE(finishButton.bottom, dialogClient.bottom);
    DeleteObject(font);

    // The icon and the picture are the vendor's files, byte for byte (a bitmap resource is the
    // file without its 14-byte file header).
    ExpectIconOf(setupModule, IDR_MAINFRAME, ReadWholeFile(vendor + "vendor.ico"));
    // The manifest's description, in XML's own escapes.
    EXPECT_NE(ResourceBytes(setupModule, MAKEINTRESOURCEA(24) /* RT_MANIFEST */, 1)
                  .find(u8"<description>Ærø &quot;Quill&quot; &amp; Ink; "
                        u8"Paintingandcraftsstudiofortheartsofallfamilie Setup</description>"),
              std::string::npos);
    EXPECT_EQ(ResourceBytes(setupModule, MAKEINTRESOURCEA(2) /* RT_BITMAP */, IDB_FINISH),
              ReadWholeFile(vendor + "vendor.bmp").substr(14));
    FreeLibrary(setupModule);
    HMODULE uninstallModule = LoadLibraryExA((vendor + "uninstall.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(uninstallModule, nullptr);
    ExpectIconOf(uninstallModule, 128, ReadWholeFile(vendor + "vendor.ico"));
    FreeLibrary(uninstallModule);
    ExpectVersionResource(vendor + "setup.exe", "Setup");
    ExpectVersionResource(vendor + "uninstall.exe", "Uninstall");

    PressCloseBox(finish);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs)) << "the installer is still running";
}

// --- At every display scale ---------------------------------------------------------------------

std::string ClassOf(HWND hwnd)
{
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    return cls;
}

RECT PlacedIn(HWND control, HWND dialog)
{
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Every control of `dialog` lies inside it and overlaps no other (a group box holds its own); every
// text is whole in its control, measured in `font`; the bitmap static shows `picture` (96-dpi
// pixels) at `dpi` (none when `picture` is empty).
void ExpectLaidOut(HWND dialog, HFONT font, int dpi, SIZE picture)
{
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<HWND> controls;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) controls.push_back(c);
    auto isGroupBox = [](HWND c) {
        return ClassOf(c) == "Button" && (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    };
    for (HWND c : controls) {
        const std::string cls = ClassOf(c), text = WindowText(c);
        SCOPED_TRACE(cls + " \"" + text + "\"");
        const RECT placed = PlacedIn(c, dialog);
        EXPECT_TRUE(placed.left >= 0 && placed.top >= 0 && placed.right <= client.right && placed.bottom <= client.bottom)
            << "outside the dialog";
        for (HWND other : controls) {
            RECT both, there = PlacedIn(other, dialog);
            if (other != c && !isGroupBox(c) && !isGroupBox(other) && IntersectRect(&both, &placed, &there))
                ADD_FAILURE() << "overlaps \"" << WindowText(other) << "\"";
        }
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        RECT inside;
        GetClientRect(c, &inside);
        if (cls == "Static" && (style & SS_TYPEMASK) == SS_BITMAP) {
            if (picture.cx == 0) continue;
            // The control takes the bitmap's size, its border inside it: the picture grows with the
            // dialog (whose font, and so its layout, grows about as the dpi does), its proportions kept.
            const int width = placed.right - placed.left, height = placed.bottom - placed.top;
            EXPECT_NEAR(width, MulDiv(picture.cx, dpi, 96), picture.cx * dpi / 96 / 10) << "the picture is not at scale";
            EXPECT_NEAR(width * picture.cy, height * picture.cx, picture.cx * 2) << "the picture is distorted";
            continue;
        }
        if (text.empty() || cls == "Edit" || (cls == "Static" && (style & SS_TYPEMASK) > SS_RIGHT)) continue;
        const std::wstring wide = WideWindowText(c);
        const int box = cls == "Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX ? MulDiv(19, dpi, 96) : 0;
        const bool wraps = cls == "Static" || (style & BS_MULTILINE);
        const int width = inside.right - box - (cls == "Button" && !box ? MulDiv(6, dpi, 96) : 0);
        const SIZE need = TextNeeds(font, wide, wraps ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE, width);
        EXPECT_LE(need.cx, width) << "the text needs " << need.cx << " pixels";
        EXPECT_LE(need.cy, inside.bottom) << "the text needs " << need.cy << " pixels in height";
    }
}

// At 96, 120, 144 and 192 dpi the destination and finish dialogs are laid out at the display's scale:
// every text whole, nothing overlapping, the pictures scaled with the dialog.
TEST_F(Installer, EveryDialogIsLaidOutAtEveryDisplayScale)
{
    const std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    HMODULE setupModule = LoadLibraryExA(Beside("setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(setupModule, nullptr);
    // Both programs are per-monitor aware by their manifests, so that Windows never stretches them
    // as bitmaps (Wine draws every program at the display's scale, so only the manifest can show it).
    for (const char* program : {"setup.exe", "vendor\\uninstall.exe"}) {
        HMODULE module = LoadLibraryExA(Beside(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << program;
        const std::string manifest = ResourceBytes(module, MAKEINTRESOURCEA(24) /* RT_MANIFEST */, 1);
        EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << program;
        EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << program;
        FreeLibrary(module);
    }
    int width96 = 0;
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        CDisplayScale scale(dpi);
        HWND dialog = StartAtDestination(setupDir);
        ASSERT_NE(dialog, nullptr);
        HFONT font = TemplateFont(setupModule, IDD_DESTINATION, dpi);
        ExpectLaidOut(dialog, font, dpi, SIZE{400, 60});
        DeleteObject(font);
        RECT client;
        GetClientRect(dialog, &client);
        if (dpi == 96) width96 = client.right;
        EXPECT_NEAR(client.right, MulDiv(width96, dpi, 96), width96 * dpi / 96 / 10) << "the dialog is not at scale";

        PressButton(dialog, IDOK);
        ASSERT_TRUE(WaitUntilGone(dialog));
        HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
        ASSERT_NE(finish, nullptr) << "no finish dialog";
        font = TemplateFont(setupModule, IDD_FINISH, dpi);
        ExpectLaidOut(finish, font, dpi, SIZE{180, 56});
        DeleteObject(font);
        PressCloseBox(finish);
        ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));
        RemoveTree(m_location);
        RemoveTree(m_programs + "\\Quenthary");
        DeleteFileA((m_desktop + "\\Play Quenthary.lnk").c_str());
    }
    FreeLibrary(setupModule);
}


// --- In every language ---------------------------------------------------------------------------

// The languages both programs speak: English, which the others fall back to, first.
const LANGID kLanguages[] = {
    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
    MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), MAKELANGID(LANG_SPANISH, SUBLANG_NEUTRAL),
    MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN),
    MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT), MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT),
    MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED),
    MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT)};
const LANGID kEnglish = kLanguages[0];

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Dialog `id` of `module` in `language`, made by the dialog manager in this process, as the
// program would make it; nullptr when the language has none.
HWND MakeDialog(HMODULE module, int id, LANGID language)
{
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id), language);
    if (!found) return nullptr;
    auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
    return CreateDialogIndirectParamW(module, dialogTemplate, nullptr, QuietDialogProc, 0);
}

// The texts of a dialog's controls in their order.
std::vector<std::wstring> ControlTexts(HWND dialog)
{
    std::vector<std::wstring> texts;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) texts.push_back(WideWindowText(c));
    return texts;
}

// String `id` of `module` in `language` exactly (no fall-back); empty when there is none.
std::wstring LanguageString(HMODULE module, UINT id, LANGID language)
{
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(6) /* RT_STRING */, MAKEINTRESOURCEA(id / 16 + 1), language);
    if (!found) return std::wstring();
    const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
    for (UINT i = 0; i < id % 16; ++i) p += *p + 1;
    return std::wstring(p + 1, *p);
}

// The conversions of a format ("%d", "%s") in their order.
std::string Conversions(const std::wstring& format)
{
    std::string found;
    for (std::size_t at = format.find(L'%'); at != std::wstring::npos && at + 1 < format.size();
         at = format.find(L'%', at + 2))
        found += static_cast<char>(format[at + 1]);
    return found;
}

// Texts that a language's Windows writes as English does.
bool IsTheLanguagesOwnWord(LANGID language, const std::wstring& text)
{
    return (PRIMARYLANGID(language) == LANG_GERMAN && text == L"Setup") ||
           (PRIMARYLANGID(language) == LANG_ITALIAN && text == L"File:");
}

// Every dialog and every message text of both programs, in every language they ship: each
// dialog made from that language's template has every text whole and nothing overlapping, at the
// display's scale, and none of its texts is the English one; each string is there, is not the
// English one, and takes the same values in the same order.
TEST_F(Installer, EveryLanguageHasAllItsTextsWholeAndItsOwn)
{
    struct Program {
        const char* file;
        std::vector<int> dialogs;
        std::vector<UINT> strings;
    } programs[] = {
        {"setup.exe", {IDD_DESTINATION, IDD_EXTRACT, IDD_FINISH},
         {IDS_SELECT_FOLDER, IDS_CAPTION, IDS_CAPTION_DESTINATION, IDS_LOCATION_NOT_AVAILABLE, IDS_NOT_ENOUGH_SPACE,
          IDS_CANCEL_SETUP, IDS_PACKAGE_NOT_OPENED, IDS_INCOMPLETE, IDS_FILES_NOT_INSTALLED, IDS_PACKAGE_DAMAGED,
          IDS_SHORTCUTS_NOT_MADE, IDS_ITEMS_NOT_LOGGED, IDS_INPUT_CHANGED, IDS_NEEDS_NEWER_WINDOWS}},
        {"uninstall.exe", {IDD_REMOVING},
         {IDS_NOTHING_TO_UNINSTALL_CAPTION, IDS_NOTHING_TO_UNINSTALL, IDS_REMOVE_QUESTION, IDS_REMOVED,
          IDS_REMOVED_EXCEPT, IDS_REMOVING_PRODUCT}},
    };
    const int dpi = ScreenDpi();
    for (const Program& program : programs) {
        HMODULE module = LoadLibraryExA(Beside(program.file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << program.file;
        for (LANGID language : kLanguages) {
            SCOPED_TRACE(std::string(program.file) + ", language " + std::to_string(language));
            for (int id : program.dialogs) {
                SCOPED_TRACE("dialog " + std::to_string(id));
                HWND dialog = MakeDialog(module, id, language), english = MakeDialog(module, id, kEnglish);
                ASSERT_NE(dialog, nullptr) << "no dialog in this language";
                if (id == IDD_DESTINATION) {
                    // The space fields hold the largest number the installer shows.
                    for (int field : {IDC_REQUIRED, IDC_AVAILABLE}) SetDlgItemTextW(dialog, field, L"99999999 M");
                }
                HFONT font = TemplateFont(module, id, dpi, language);
                ExpectLaidOut(dialog, font, dpi, SIZE{});
                DeleteObject(font);
                const std::vector<std::wstring> texts = ControlTexts(dialog), englishTexts = ControlTexts(english);
                ASSERT_EQ(texts.size(), englishTexts.size());
                for (std::size_t i = 0; i < texts.size() && language != kEnglish; ++i) {
                    // What the program itself writes there (or a picture) stands in the templates
                    // as a placeholder.
                    static const std::wstring kPlaceholders[] = {L"", L"0000 M", L"dest file", L"Progress1"};
                    const bool placeholder = texts[i][0] == 0xFFFF ||
                        std::find(std::begin(kPlaceholders), std::end(kPlaceholders), texts[i]) != std::end(kPlaceholders);
                    if (!placeholder && !IsTheLanguagesOwnWord(language, texts[i])) {
                        EXPECT_NE(texts[i], englishTexts[i]) << "an English text";
                    }
                }
                DestroyWindow(dialog);
                DestroyWindow(english);
            }
            for (UINT id : program.strings) {
                const std::wstring text = LanguageString(module, id, language), english = LanguageString(module, id, kEnglish);
                EXPECT_FALSE(text.empty()) << "no string " << id;
                if (language != kEnglish && !IsTheLanguagesOwnWord(language, text)) {
                    EXPECT_NE(text, english) << "string " << id << " is English";
                }
                EXPECT_EQ(Conversions(text), Conversions(english)) << "string " << id;
            }
        }
        FreeLibrary(module);
    }
    // A build that ships some languages (the vendor's: German and Japanese) has those and English.
    for (const char* program : {"vendor\\setup.exe", "vendor\\uninstall.exe"}) {
        HMODULE module = LoadLibraryExA(Beside(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << program;
        std::vector<LANGID> languages;
        EnumResourceLanguagesA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                               MAKEINTRESOURCEA(program[7] == 's' ? IDD_DESTINATION : IDD_REMOVING),
                               [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
                                   reinterpret_cast<std::vector<LANGID>*>(found)->push_back(language);
                                   return TRUE;
                               },
                               reinterpret_cast<LONG_PTR>(&languages));
        std::sort(languages.begin(), languages.end());
        EXPECT_EQ(languages, (std::vector<LANGID>{MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), kEnglish,
                                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}))
            << program;
        FreeLibrary(module);
    }
}

// Run once per language by CTest entries of their own, each in that language's locale (from which
// Wine takes the user's interface language): the installer shows its dialogs and its messages in
// the user's language without asking, and its finish dialog fits its texts.
class InEveryLanguage : public Installer {};

// The language of the programs' texts for a user of `user`: the same language, in another country
// too, else English.
LANGID ShippedLanguage(LANGID user)
{
    for (LANGID shipped : kLanguages)
        if (shipped == user) return shipped;
    for (LANGID shipped : kLanguages)
        if (PRIMARYLANGID(shipped) == PRIMARYLANGID(user)) return shipped;
    return kEnglish;
}

TEST_F(InEveryLanguage, TheInstallerSpeaksTheUsersLanguage)
{
    // The locale the test's CTest entry started it in ("es_MX.UTF-8") is the user's language.
    char locale[64] = "";
    GetEnvironmentVariableA("LC_ALL", locale, sizeof locale);
    std::wstring name(locale, std::find(locale, locale + std::strlen(locale), '.'));
    std::replace(name.begin(), name.end(), L'_', L'-');
    if (name.empty()) {
        if (IsCiRun()) FAIL() << "LC_ALL is not set: the test's CTest entry sets it";
        GTEST_SKIP() << "run through CTest, which sets the locale";
    }
    ASSERT_EQ(GetUserDefaultUILanguage(), LANGIDFROMLCID(LocaleNameToLCID(name.c_str(), 0))) << locale;
    const LANGID language = ShippedLanguage(GetUserDefaultUILanguage());
    SCOPED_TRACE(std::string(locale) + ": language " + std::to_string(language));
    HMODULE module = LoadLibraryExA(Beside("setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_location));
    // (The space fields are another test's: the tests running beside this one change the free space.)
    m_setup = std::make_unique<ChildProcess>(setupDir + "setup.exe", "", setupDir);
    HWND dialog = WaitForDialog(kTitle, m_setup->Id());
    ASSERT_NE(dialog, nullptr);
    HWND expected = MakeDialog(module, IDD_DESTINATION, language);
    ASSERT_NE(expected, nullptr) << "the installer has no dialogs in the user's language";
    std::vector<std::wstring> shown = ControlTexts(dialog), wanted = ControlTexts(expected);
    DestroyWindow(expected);
    ASSERT_EQ(shown.size(), wanted.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (!wanted[i].empty() && wanted[i] != L"0000 M") {
            EXPECT_EQ(shown[i], wanted[i]);
        }
    }

    // A destination of two characters is refused with a message in the user's language.
    SetControlText(dialog, IDC_DEST, "C:");
    PressButton(dialog, IDOK);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindDialogWhere([&](HWND h) { return h != dialog; }, m_setup->Id())); }))
        << "no message";
    EXPECT_EQ(WideWindowText(box), LanguageString(module, IDS_CAPTION_DESTINATION, language));
    std::wstring text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON && text.empty())
            text = WideWindowText(c);
    EXPECT_EQ(text, LanguageString(module, IDS_LOCATION_NOT_AVAILABLE, language));
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitUntilGone(box));

    SetControlText(dialog, IDC_DEST, m_location);
    PressButton(dialog, IDOK);
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
    ASSERT_NE(finish, nullptr) << "no finish dialog";
    const int dpi = ScreenDpi();
    HFONT font = TemplateFont(module, IDD_FINISH, dpi, language);
    ExpectLaidOut(finish, font, dpi, SIZE{180, 56});
    DeleteObject(font);
    PressCloseBox(finish);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));
    FreeLibrary(module);
}


// --- Names in any script -----------------------------------------------------------------------

void Installer::InstallNamesOfEveryScript()
{
    struct Named {
        const wchar_t* folder;
        const wchar_t* file;
        const char* bytes;
    } const named[] = {
        {L"caf\u00e9", L"\u00e9t\u00e9.txt", "Latin with accents"},
        {L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0430", L"\u0444\u0430\u0439\u043b.txt", "Cyrillic"},
        {L"\u65e5\u672c\u8a9e", L"\u30d5\u30a1\u30a4\u30eb.txt", "Japanese"},
    };
    // The test's own folders have ASCII names.
    const std::wstring product = Wide(m_scratch / "product"), dest = Wide(m_location);
    // The scratch folder's removal goes through the code page, which cannot name all of these:
    // they go first, on every way out.
    struct RemovedAtTheEnd {
        std::vector<std::wstring> folders;
        const Named (&named)[3];
        ~RemovedAtTheEnd()
        {
            for (const std::wstring& root : folders)
                for (const Named& n : named) {
                    DeleteFileW((root + L"\\" + n.folder + L"\\" + n.file).c_str());
                    RemoveDirectoryW((root + L"\\" + n.folder).c_str());
                }
        }
    } removed{{product, dest}, named};
    ASSERT_TRUE(CreateDirectoryW(product.c_str(), nullptr));
    for (const Named& n : named) {
        ASSERT_TRUE(CreateDirectoryW((product + L"\\" + n.folder).c_str(), nullptr));
        ASSERT_TRUE(WriteWideFile(product + L"\\" + n.folder + L"\\" + n.file, n.bytes));
    }
    // The script and the log template in UTF-8, each with a byte-order mark: the log made from the
    // template leaves the mark out (Windows' profile functions would lose its first section).
    const std::string setupDir = MakeSetupDir({}, "\xEF\xBB\xBF" + Script(m_location));
    const std::string logTemplate = "[uninstall]\r\nproduct=" + Utf8(named[1].folder) + "\r\n";
    WriteWholeFile(setupDir + "uninstall.ini", "\xEF\xBB\xBF" + logTemplate);
    Unstamp(setupDir);
    HWND dialog = StartAtDestination(setupDir);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDOK);
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, m_setup->Id());
    ASSERT_NE(finish, nullptr) << "no finish dialog";
    PressCloseBox(finish);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));

    const std::string log = ReadWholeFile(m_location + "\\uninstall.ini");
    EXPECT_EQ(log.substr(0, logTemplate.size()), logTemplate);
    for (const Named& n : named) {
        const std::wstring path = dest + L"\\" + n.folder + L"\\" + n.file;
        SCOPED_TRACE(n.bytes);
        bool read = false;
        EXPECT_EQ(ReadWideFile(path, &read), n.bytes);
        EXPECT_TRUE(read) << "not installed under its name";
        EXPECT_NE(log.find("=" + Utf8(path) + "\r\n"), std::string::npos) << "not in the log as UTF-8";
    }
}

// Under the machine's code page 1252.
TEST_F(Installer, NamesOfEveryScriptInstallAsTheyAre)
{
    InstallNamesOfEveryScript();
}

// The same names under the double-byte code page 932.
TEST_F(CodePage932, NamesOfEveryScriptInstallAsTheyAre)
{
    InstallNamesOfEveryScript();
}


// A build for UTF-8 that Windows runs in the machine's code page (before Windows 10 version 1903;
// the legacy build stands for it) never makes a name it would misread: a script with letters beyond
// ASCII stops it before anything is made, and with an ASCII script an entry whose name has such
// letters is not installed, and is reported.
TEST_F(Installer, ABuildForUtf8InAnotherCodePageMakesNoNameItWouldMisread)
{
    ASSERT_EQ(GetACP(), 1252u);
    std::string script = Script(m_location);
    script.replace(script.find("Read me"), 7, "L\xC3\xA9" "ame");
    std::string setupDir = MakeSetupDir(SmallProduct(), script, "legacy\\setup.exe");
    m_before = TreeOf(m_scratch.Path());
    m_setup = std::make_unique<ChildProcess>(setupDir + "setup.exe", "", setupDir);
    HWND box = WaitForDialog("setup", m_setup->Id());
    ASSERT_NE(box, nullptr) << "no message";
    EXPECT_EQ(MessageBoxText(box), "Setup needs Windows 10 version 1903 or later to install this product.");
    PressButton(box, IDOK);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));
    ExpectSameTree(TreeOf(m_scratch.Path()), m_before, "the test's folders");
    RemoveTree(m_scratch / "setup");

    std::vector<ProductFile> files = SmallProduct();
    files.push_back({"caf\xE9.txt", "named in this code page"});  // stored by mkpak in UTF-8
    setupDir = MakeSetupDir(files, Script(m_location), "legacy\\setup.exe");
    m_setup = std::make_unique<ChildProcess>(setupDir + "setup.exe", "", setupDir);
    HWND dialog = WaitForDialog(kTitle, m_setup->Id());
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDOK);
    box = WaitForDialog("setup", m_setup->Id());
    ASSERT_NE(box, nullptr) << "no message";
    EXPECT_EQ(MessageBoxText(box), "Installation incomplete! 1 file(s) could not be installed, the first:\n" +
                                       m_location + "\\caf\xC3\xA9.txt");
    PressButton(box, IDOK);
    ASSERT_TRUE(m_setup->Ends(kExitTimeoutMs));
    EXPECT_EQ(ReadWholeFile(m_location + "\\readme.txt"), "Read me first.\r\n");
    EXPECT_FALSE(FileExists(m_location + "\\caf\xC3\xA9.txt"));
    EXPECT_FALSE(FileExists(m_location + "\\caf\xE9.txt"));
}

}  // namespace
