// The installation run through its real windows: the progress dialog on this thread, the install
// worker with its message boxes and the finish dialog on the worker's thread, driven from a third.
// The test program's folder is its setup directory: each test writes setup.ini, data.pak and
// uninstall.ini beside it. The shortcut phase finds its folders through the Shell Folders values,
// which point at the test's own folders while it runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app_icon.h"
#include "dialog_driver.h"
#include "extract_dlg.h"
#include "package_fixtures.h"
#include "resource.h"
#include "setup_files.h"
#include "shell_folders.h"
#include "test_support.h"

namespace {

constexpr DWORD kTimeoutMs = 8000;
constexpr char kTitle[] = "Quenthary Test Setup";
constexpr char kTemplate[] = "[uninstall]\r\nproduct=Quenthary\r\n";
constexpr char kQuestion[] = "Cancel setup?";

using Paths = std::vector<std::string>;

struct PackItem {
    std::string name;
    std::string content;  // the installed file's bytes
    std::string entry;    // what the package holds for it: a zip archive unless a test says so
};

PackItem Item(const std::string& name, const std::string& content)
{
    return {name, content, MakeZip({{"member", content}})};
}

HWND WaitFor(const std::function<bool(HWND)>& match, DWORD timeoutMs = kTimeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialogWhere(match)) != nullptr; }, timeoutMs);
    return found;
}

bool IsFinishDialog(HWND hWnd)
{
    return GetDlgItem(hWnd, IDC_LAUNCH) != nullptr;
}

HWND WaitForFinishDialog(DWORD timeoutMs = kTimeoutMs)
{
    return WaitFor(IsFinishDialog, timeoutMs);
}

// A message box of the installer (caption "setup") that says `text`.
HWND WaitForBox(const std::string& text)
{
    return WaitFor([&](HWND h) { return WindowText(h) == "setup" && MessageBoxText(h) == text; });
}

// The progress dialog of thread `ui`, also while it is hidden.
HWND FindProgressDialog(DWORD ui)
{
    HWND found = nullptr;
    EnumThreadWindows(ui, [](HWND hWnd, LPARAM param) -> BOOL {
        if (GetDlgItem(hWnd, IDC_PROGRESS) == nullptr) return TRUE;
        *reinterpret_cast<HWND*>(param) = hWnd;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForProgressDialog(DWORD ui)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProgressDialog(ui)) != nullptr && IsWindowVisible(found); },
              kTimeoutMs);
    return found;
}

struct Bar {
    int low = -1, high = -1, pos = -1;
    bool operator==(const Bar& o) const { return low == o.low && high == o.high && pos == o.pos; }
};

Bar ReadBar(HWND progressDialog)
{
    HWND bar = GetDlgItem(progressDialog, IDC_PROGRESS);
    PBRANGE range{};
    SendMessageA(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    return {range.iLow, range.iHigh, static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0))};
}

// Where a bar of range 0..`high` with step 1 stands after `steps` steps: past the upper end the
// control starts over, in its own way, which a bar of the test's own shows.
int PositionAfterSteps(int high, int steps)
{
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, nullptr, nullptr,
                               nullptr, nullptr);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, high));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    for (int i = 0; i < steps; ++i) SendMessageA(bar, PBM_STEPIT, 0, 0);
    int pos = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    DestroyWindow(bar);
    return pos;
}

std::vector<int> VisibleButtons(HWND box)
{
    std::vector<int> ids;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = "";
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(c)) ids.push_back(GetDlgCtrlID(c));
    }
    return ids;
}

// Wine's message box reports button 1 as its default whatever the flags say; the button drawn as
// the default tells the truth.
bool IsDrawnAsDefault(HWND box, int id)
{
    return (GetWindowLongA(GetDlgItem(box, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// Whether the log lists `expected`; a mismatch is told by counts and the first difference.
::testing::AssertionResult Logs(const Paths& actual, const Paths& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    return ::testing::AssertionFailure()
           << actual.size() << " entries where " << expected.size() << " were expected; entry "
           << i << " is \"" << (i < actual.size() ? actual[i] : "(none)") << "\" where \""
           << (i < expected.size() ? expected[i] : "(none)") << "\" was expected";
}

std::string CurrentDirectory()
{
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

class InstallRun : public ::testing::Test {
protected:
    ScratchDir root;
    TestShellFolders folders{root.Path()};
    const std::string& programs = folders.programs;
    const std::string& desktop = folders.desktop;
    std::string group = programs + "\\Quenthary Test";
    std::string dest = root / "Quenthary";
    std::unique_ptr<CExtractDlg> dlg = std::make_unique<CExtractDlg>();
    std::atomic<bool> returned{false};  // RunExtraction has returned

    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        LoadAppIcon();
        WriteWholeFile(SetupPath(SetupFile::kLog), kTemplate);
    }
    void TearDown() override
    {
        for (const char* name : {SetupFile::kScript, SetupFile::kPackage, SetupFile::kLog}) {
            SetFileAttributesA(SetupPath(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(SetupPath(name).c_str());
        }
    }

    static std::string SetupPath(const char* name) { return TestProgramDir() + name; }
    std::string Log() const { return dest + "\\uninstall.ini"; }
    std::string Target(const PackItem& item) const { return dest + "\\" + item.name; }

    // A script with the title, "totalfiles", "launch" and one shortcut item (with a desktop one).
    void WriteScript(int totalFiles, const std::string& launch = "bin\\run.exe -x 1",
                     bool title = true)
    {
        std::string text = "[main]\r\n";
        if (title) text += std::string("title=") + kTitle + "\r\n";
        text += "totalfiles=" + std::to_string(totalFiles) + "\r\nlaunch=" + launch + "\r\n";
        text += "[shortcut]\r\ngroup=Quenthary Test\r\nitemnum=1\r\n"
                "item0FileName=bin\\run.exe\r\nitem0Desc=Play\r\nitem0Desktop=1\r\n";
        WriteWholeFile(SetupPath(SetupFile::kScript), text);
    }
    void WritePackage(const std::vector<PackItem>& items, const std::string& tail = "")
    {
        std::string package;
        for (const PackItem& item : items) package += PackEntry(item.name, item.entry);
        WriteWholeFile(SetupPath(SetupFile::kPackage), package + tail);
    }

    // `count` entries "fNN.bin" of `size` bytes each, every one different.
    static std::vector<PackItem> Numbered(int count, std::size_t size)
    {
        std::vector<PackItem> items;
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "f%02d.bin", i);
            items.push_back(Item(name, SampleBytes(size, i + 1)));
        }
        return items;
    }
    // The number of the "fNN.bin" entry that the label shows; -1 for anything else.
    int ShownEntry(HWND progress) const
    {
        std::string text = ControlText(progress, IDC_DEST_FILE);
        std::string prefix = dest + "\\f";
        if (text.compare(0, prefix.size(), prefix) != 0) return -1;
        return std::atoi(text.c_str() + prefix.size());
    }

    // Runs the installation into `destDir` on this thread while `drive` works the windows from
    // another thread (given this thread's id). The progress dialog must end by itself within the
    // timeout after `drive` has returned; otherwise the test fails and a quit message ends it.
    void RunInstall(const std::string& destDir, const std::function<void(DWORD ui)>& drive)
    {
        DWORD ui = GetCurrentThreadId();
        std::thread driver([&] {
            drive(ui);
            if (!WaitUntil([&] { return returned.load(); }, kTimeoutMs)) {
                ADD_FAILURE() << "the progress dialog did not end";
                PostThreadMessageA(ui, WM_QUIT, 0, 0);
            }
        });
        dlg->RunExtraction(destDir.c_str(), nullptr);
        returned = true;
        driver.join();
        // The dialog manager posts the quit message again for an outer loop; the next run in this
        // test would end at once on it.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        // The worker's thread object outlives the worker; it has ended, with exit code 0, right
        // after ending the dialog. One that hangs in a window of its own is left behind.
        ASSERT_NE(dlg->m_pWorkerThread, nullptr);
        if (WaitForSingleObject(dlg->m_pWorkerThread->m_hThread, kTimeoutMs) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the worker did not end";
            dlg.release();
            return;
        }
        DWORD code = 1;
        EXPECT_TRUE(GetExitCodeThread(dlg->m_pWorkerThread->m_hThread, &code));
        EXPECT_EQ(code, 0u);
    }
    void RunInstall(const std::function<void(DWORD ui)>& drive) { RunInstall(dest, drive); }

    // The state that a run which ended without the shortcut phase leaves: no "filenum", no group,
    // no desktop shortcut.
    void ExpectEndedBeforeShortcuts()
    {
        char value[16] = "";
        GetPrivateProfileStringA("files", "filenum", "<none>", value, sizeof value, Log().c_str());
        EXPECT_STREQ(value, "<none>");
        EXPECT_FALSE(DirectoryExists(group));
        EXPECT_FALSE(FileExists(desktop + "\\Play.lnk"));
    }
    int FileNum() { return GetPrivateProfileIntA("files", "filenum", -1, Log().c_str()); }
    Paths ShortcutEntries() const { return {group, group + "\\Play.lnk", desktop + "\\Play.lnk"}; }
};

// ---------------------------------------------------------------------------------------------
// Runs to the end

TEST_F(InstallRun, AnInstallationRunsToTheFinishDialogAndFinishStartsTheShippedProgram)
{
    std::vector<PackItem> items = {Item("readme.txt", "Quenthary\r\n"),
                                   Item("sub\\data.bin", SampleBytes(100000)),
                                   Item("bin\\run.exe", ReadWholeFile(MarkerProgram()))};
    ASSERT_GT(items[2].content.size(), 0u);
    WritePackage(items);
    WriteScript(3);

    RunInstall([&](DWORD ui) {
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        // The progress dialog is hidden but alive behind it, its bar full, its label the last file.
        HWND progress = FindProgressDialog(ui);
        ASSERT_NE(progress, nullptr);
        EXPECT_FALSE(IsWindowVisible(progress));
        EXPECT_EQ(WindowText(progress), "Extracting files...");
        EXPECT_EQ(ReadBar(progress), (Bar{0, 3, 3}));
        EXPECT_EQ(ControlText(progress, IDC_DEST_FILE), Target(items[2]));
        EXPECT_FALSE(returned);
        // "filenum" comes before the finish dialog.
        EXPECT_EQ(FileNum(), 6);

        EXPECT_EQ(WindowText(finish), kTitle);
        EXPECT_EQ(IsDlgButtonChecked(finish, IDC_LAUNCH), UINT(BST_CHECKED));
        EXPECT_EQ(GetForegroundWindow(), finish);
        EXPECT_NE(GetWindowThreadProcessId(finish, nullptr), ui);
        PressButton(finish, IDOK);
    });

    for (const PackItem& item : items) {
        EXPECT_TRUE(SameBytes(ReadWholeFile(Target(item)), item.content)) << item.name;
        EXPECT_FALSE(FileExists(Target(item) + ".zip")) << item.name;
    }
    Paths logged = {Target(items[0]), Target(items[1]), Target(items[2])};
    for (const std::string& path : ShortcutEntries()) logged.push_back(path);
    EXPECT_TRUE(Logs(LoggedPaths(Log()), logged));
    EXPECT_EQ(FileNum(), 6);
    // The template's own keys pass through for the uninstaller.
    char product[32] = "";
    GetPrivateProfileStringA("uninstall", "product", "", product, sizeof product, Log().c_str());
    EXPECT_STREQ(product, "Quenthary");
    EXPECT_TRUE(FileExists(group + "\\Play.lnk"));
    EXPECT_TRUE(FileExists(desktop + "\\Play.lnk"));

    // Finish started the installed program with the launch value's arguments, in the installer's
    // current directory.
    ASSERT_TRUE(WaitForFile(Target(items[2]) + ".ran"));
    MarkerRecord record = ReadMarkerRecord(Target(items[2]));
    EXPECT_EQ(record.commandLine, "\"" + Target(items[2]) + "\" -x 1");
    EXPECT_EQ(record.currentDir, CurrentDirectory());
}

// Finish with the box cleared, the close box and Escape with the box checked: nothing starts, and
// the installation has run to its end all the same. Without a title the caption is empty.
class FinishRun : public InstallRun {
protected:
    PackItem program = Item("bin\\run.exe", ReadWholeFile(MarkerProgram()));

    void SetUp() override
    {
        InstallRun::SetUp();
        WritePackage({program});
        WriteScript(1, "bin\\run.exe", false);
    }
    // Runs the installation and lets `close` end the finish dialog; then nothing may start.
    void ExpectNothingStartedAfter(const std::function<void(HWND finish)>& close)
    {
        RunInstall([&](DWORD) {
            HWND finish = WaitForFinishDialog();
            ASSERT_NE(finish, nullptr);
            EXPECT_EQ(WindowText(finish), "");
            close(finish);
            EXPECT_TRUE(WaitUntilGone(finish, kTimeoutMs));
        });
        EXPECT_EQ(FileNum(), 4);
        Sleep(500);
        EXPECT_FALSE(FileExists(Target(program) + ".ran"));
    }
};

TEST_F(FinishRun, FinishWithTheBoxClearedStartsNothing)
{
    ExpectNothingStartedAfter([](HWND finish) {
        SendMessageA(GetDlgItem(finish, IDC_LAUNCH), BM_CLICK, 0, 0);
        EXPECT_EQ(IsDlgButtonChecked(finish, IDC_LAUNCH), UINT(BST_UNCHECKED));
        PressButton(finish, IDOK);
    });
}

TEST_F(FinishRun, TheCloseBoxStartsNothing)
{
    ExpectNothingStartedAfter([](HWND finish) { PressCloseBox(finish); });
}

TEST_F(FinishRun, EscapeStartsNothing)
{
    ExpectNothingStartedAfter([](HWND finish) {
        EXPECT_EQ(IsDlgButtonChecked(finish, IDC_LAUNCH), UINT(BST_CHECKED));
        // As the keyboard delivers it: to the control with the focus, Finish.
        PostMessageA(GetDlgItem(finish, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    });
}

TEST_F(InstallRun, ALaunchIntoADestinationWithASpaceNeverStartsAPlantedShorterName)
{
    std::string spaced = root / "My Game";
    std::string planted = root / "My.exe";
    ASSERT_TRUE(CopyFileA(MarkerProgram().c_str(), planted.c_str(), FALSE));
    WritePackage({Item("run.exe", ReadWholeFile(MarkerProgram()))});
    WriteScript(1, "run.exe -w fast");

    RunInstall(spaced, [&](DWORD) {
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        PressButton(finish, IDOK);
    });
    ASSERT_TRUE(WaitForFile(spaced + "\\run.exe.ran"));
    EXPECT_EQ(ReadMarkerRecord(spaced + "\\run.exe").commandLine,
              "\"" + spaced + "\\run.exe\" -w fast");
    Sleep(300);
    EXPECT_FALSE(FileExists(planted + ".ran"));
}

// A read-only file at a target is replaced; the destination is used exactly as given, here with a
// trailing backslash, which doubles the separator in every path built on it.
TEST_F(InstallRun, AReadOnlyTargetIsReplaced)
{
    CreateDirectoryA(dest.c_str(), nullptr);
    std::string target = dest + "\\a.txt";
    WriteWholeFile(target, "old content");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    WritePackage({Item("a.txt", "new content")});
    WriteScript(1);

    RunInstall(dest + "\\", [&](DWORD) {
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        PressCloseBox(finish);
    });
    EXPECT_EQ(ReadWholeFile(target), "new content");
    DWORD attributes = GetFileAttributesA(target.c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(LoggedPaths(Log()).at(0), dest + "\\\\a.txt");
    EXPECT_EQ(FileNum(), 4);
}

// The bar's range is "totalfiles" modulo 65536 and the worker steps once per entry whatever it
// says: past the end the bar starts over; a larger count leaves it short of full.
class BarRun : public InstallRun {
protected:
    void ExpectBarAfterFiveEntries(int totalFiles, const Bar& expected)
    {
        WritePackage(Numbered(5, 100));
        WriteScript(totalFiles);
        Bar bar;
        RunInstall([&](DWORD ui) {
            HWND finish = WaitForFinishDialog();
            ASSERT_NE(finish, nullptr);
            bar = ReadBar(FindProgressDialog(ui));
            PressCloseBox(finish);
        });
        EXPECT_EQ(bar, expected);
        EXPECT_EQ(LoggedPaths(Log()).size(), 5u + 3u);
    }
};

TEST_F(BarRun, ATotalAbove65536SmallerThanThePackageWrapsTheBar)
{
    ExpectBarAfterFiveEntries(65536 + 3, Bar{0, 3, PositionAfterSteps(3, 5)});
}

TEST_F(BarRun, ALargerTotalLeavesTheBarShortOfFull)
{
    ExpectBarAfterFiveEntries(10, Bar{0, 10, 5});
}

// On a fresh machine the destination's parents are missing too: every level is made before the
// template is copied, so the log keeps the template's keys for the uninstaller.
TEST_F(InstallRun, ADestinationWithMissingParentsGetsTheTemplate)
{
    dest = root / "missing\\deeper\\Quenthary";
    std::vector<PackItem> items = {Item("a.txt", "a")};
    WritePackage(items);
    WriteScript(1);
    RunInstall([&](DWORD) {
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        PressCloseBox(finish);
    });
    EXPECT_EQ(ReadWholeFile(Target(items[0])), "a");
    char product[32] = "";
    GetPrivateProfileStringA("uninstall", "product", "", product, sizeof product, Log().c_str());
    EXPECT_STREQ(product, "Quenthary");
    EXPECT_EQ(LoggedPaths(Log()).at(0), Target(items[0]));
    EXPECT_EQ(FileNum(), 4);
}

// A template from read-only media, and a read-only log of an earlier installation in the
// destination: the log is the template's copy, and writable. (Run as root, Wine would write a
// read-only file all the same, so the attribute itself is what is checked.)
TEST_F(InstallRun, AReadOnlyTemplateAndAReadOnlyOldLogGiveAWritableLog)
{
    ASSERT_TRUE(SetFileAttributesA(SetupPath(SetupFile::kLog).c_str(), FILE_ATTRIBUTE_READONLY));
    CreateDirectoryA(dest.c_str(), nullptr);
    WriteWholeFile(Log(), "[files]\r\nfile0=C:\\old\\install.txt\r\n");
    ASSERT_TRUE(SetFileAttributesA(Log().c_str(), FILE_ATTRIBUTE_READONLY));
    WritePackage({Item("a.txt", "a")});
    WriteScript(1);
    RunInstall([&](DWORD) {
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        PressCloseBox(finish);
    });
    DWORD attributes = GetFileAttributesA(Log().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReadWholeFile(dest + "\\a.txt"), "a");
    // The earlier installation's entry comes first.
    EXPECT_TRUE(Logs(LoggedPaths(Log()), Paths{"C:\\old\\install.txt", Target(Item("a.txt", "a")), group,
                                               group + "\\Play.lnk", desktop + "\\Play.lnk"}));
    char product[32] = "";
    GetPrivateProfileStringA("uninstall", "product", "", product, sizeof product, Log().c_str());
    EXPECT_STREQ(product, "Quenthary");
}

// ---------------------------------------------------------------------------------------------
// A missing package

// The worker's message, owned by the progress dialog; a Cancel that comes in while it is open asks
// its question, and the worker's quit waits until the question has been answered.
TEST_F(InstallRun, AMissingPackageIsReportedAndTheDialogEndsWithoutFinishDialog)
{
    WriteScript(1);
    RunInstall([&](DWORD ui) {
        HWND failed = WaitForBox("pack file open failed!");
        ASSERT_NE(failed, nullptr);
        HWND progress = FindProgressDialog(ui);
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(IsWindowVisible(progress));
        EXPECT_EQ(GetWindow(failed, GW_OWNER), progress);
        EXPECT_EQ(VisibleButtons(failed), std::vector<int>{IDOK});
        EXPECT_EQ(MessageBoxIcon(failed), nullptr);
        EXPECT_NE(GetWindowThreadProcessId(failed, nullptr), ui);

        PressButton(progress, IDCANCEL);
        HWND question = WaitForBox(kQuestion);
        ASSERT_NE(question, nullptr);
        PressButton(failed, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(failed); }, kTimeoutMs));
        // The worker has nothing left but its quit, which waits for the answer.
        Sleep(400);
        EXPECT_TRUE(IsWindowVisible(question));
        EXPECT_TRUE(IsWindowVisible(progress));
        EXPECT_FALSE(returned);
        PressButton(question, IDYES);
        EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, kTimeoutMs));
    });
    EXPECT_TRUE(SameBytes(ReadWholeFile(Log()), kTemplate));
    EXPECT_FALSE(DirectoryExists(group));
    EXPECT_FALSE(FindDialogWhere(IsFinishDialog));
}

// ---------------------------------------------------------------------------------------------
// Cancel during the file phase. The entries are many and large enough that the file phase lasts
// well beyond the moment the label shows the third of them: each unpacks to 4 MiB, mostly zeros,
// which deflate to almost nothing, so that the package is made fast.

class CancelRun : public InstallRun {
protected:
    static constexpr int kCount = 30;
    std::vector<PackItem> items = SlowItems();

    static std::vector<PackItem> SlowItems()
    {
        std::vector<PackItem> items = Numbered(kCount, 1000);
        for (PackItem& item : items) item = Item(item.name, item.content + std::string(4 << 20, '\0'));
        return items;
    }

    void SetUp() override
    {
        InstallRun::SetUp();
        WritePackage(items);
        WriteScript(kCount);
    }

    // The progress dialog of thread `ui` once its label shows the third entry or a later one.
    HWND WaitForThirdEntry(DWORD ui)
    {
        HWND progress = WaitForProgressDialog(ui);
        if (!progress || !WaitUntil([&] { return ShownEntry(progress) >= 2; }, kTimeoutMs))
            return nullptr;
        return progress;
    }
    // Presses Cancel once the label shows the third entry or a later one: the progress dialog
    // and the question box, both null unless the question came.
    void CancelDuringFilePhase(DWORD ui, HWND& progress, HWND& question)
    {
        question = nullptr;
        progress = WaitForThirdEntry(ui);
        if (progress == nullptr) return;
        PressButton(progress, IDCANCEL);
        question = WaitForBox(kQuestion);
        if (question == nullptr) progress = nullptr;
    }

    // The question as asked: owned by the progress dialog, Yes and No with No drawn as the
    // default, a question icon.
    static void ExpectQuestion(HWND question, HWND progress)
    {
        EXPECT_EQ(GetWindow(question, GW_OWNER), progress);
        EXPECT_EQ(VisibleButtons(question), (std::vector<int>{IDYES, IDNO}));
        EXPECT_TRUE(IsDrawnAsDefault(question, IDNO));
        EXPECT_FALSE(IsDrawnAsDefault(question, IDYES));
        EXPECT_NE(MessageBoxIcon(question), nullptr);
    }

    // Entries 0..`last` installed and logged, nothing of the next ones listed or made: what a
    // cancel seen before entry `last` + 1 leaves.
    void ExpectCancelledAfter(int last)
    {
        Paths logged;
        for (int i = 0; i <= last; ++i) {
            logged.push_back(Target(items[i]));
            EXPECT_TRUE(SameBytes(ReadWholeFile(Target(items[i])), items[i].content)) << i;
            EXPECT_FALSE(FileExists(Target(items[i]) + ".zip")) << i;
        }
        EXPECT_TRUE(Logs(LoggedPaths(Log()), logged));
        ASSERT_LT(last + 1, kCount);
        for (int i = last + 1; i < kCount; ++i) {
            EXPECT_FALSE(FileExists(Target(items[i]))) << i;
            EXPECT_FALSE(FileExists(Target(items[i]) + ".zip")) << i;
        }
        ExpectEndedBeforeShortcuts();
    }
};

// While the question is open the worker shows no progress; after No it goes on where it stopped,
// with no entry lost or repeated, to the finish dialog.
TEST_F(CancelRun, AnsweringNoPausesTheWorkerAndThenGoesOnWithNothingLostOrRepeated)
{
    RunInstall([&](DWORD ui) {
        HWND progress, question;
        CancelDuringFilePhase(ui, progress, question);
        ASSERT_NE(question, nullptr);
        ExpectQuestion(question, progress);

        int shown = ShownEntry(progress);
        Bar bar = ReadBar(progress);
        Sleep(400);
        EXPECT_EQ(ShownEntry(progress), shown);
        EXPECT_EQ(ReadBar(progress), bar);
        // Paused with work left: without the pause the worker would have moved on by now.
        EXPECT_LT(shown, kCount - 5) << "the file phase ran too fast for this test";
        EXPECT_TRUE(bar.pos == shown || bar.pos == shown + 1) << bar.pos << " " << shown;

        PressButton(question, IDNO);
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        EXPECT_EQ(ReadBar(progress), (Bar{0, kCount, kCount}));
        PressCloseBox(finish);
    });
    EXPECT_FALSE(dlg->IsCancelled());
    Paths logged;
    for (const PackItem& item : items) {
        logged.push_back(Target(item));
        EXPECT_TRUE(SameBytes(ReadWholeFile(Target(item)), item.content)) << item.name;
        EXPECT_FALSE(FileExists(Target(item) + ".zip")) << item.name;
    }
    for (const std::string& path : ShortcutEntries()) logged.push_back(path);
    EXPECT_TRUE(Logs(LoggedPaths(Log()), logged));
    EXPECT_EQ(FileNum(), kCount + 3);
}

// Yes: the entry under way is completed, the next one is read ahead and its archive left, and the
// dialog ends without shortcuts, "filenum" or the finish dialog.
TEST_F(CancelRun, AnsweringYesEndsBeforeTheNextEntry)
{
    int shown = -1;
    RunInstall([&](DWORD ui) {
        HWND progress, question;
        CancelDuringFilePhase(ui, progress, question);
        ASSERT_NE(question, nullptr);
        shown = ShownEntry(progress);
        PressButton(question, IDYES);
        EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, kTimeoutMs));
    });
    EXPECT_TRUE(dlg->IsCancelled());
    EXPECT_FALSE(FindDialogWhere(IsFinishDialog));
    ASSERT_GE(shown, 2);
    // The entry shown is completed. When the worker had already passed the test of the flag for
    // the next one (it waits to show it), that one is completed too: at most one more.
    int last = static_cast<int>(LoggedPaths(Log()).size()) - 1;
    EXPECT_TRUE(last == shown || last == shown + 1) << last << " " << shown;
    ExpectCancelledAfter(last);
}

// Delivers a Cancel click to the progress dialog on its own thread, with the first message sent
// to the dialog after a Yes has set the cancel flag: a second click that comes before the worker
// goes on. (Posted behind the answer, the click would race the worker, which may have asked the
// dialog to end by the time the click is read.)
class SecondCancel {
public:
    SecondCancel(const CExtractDlg& dlg, DWORD ui) : m_dlg(dlg)
    {
        s_current = this;
        m_hook = SetWindowsHookExA(WH_CALLWNDPROC, Deliver, nullptr, ui);
    }
    ~SecondCancel()
    {
        if (m_hook) UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    bool Installed() const { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK Deliver(int code, WPARAM wParam, LPARAM lParam)
    {
        SecondCancel* self = s_current;
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && self && !self->m_delivered && msg->hwnd == self->m_dlg.m_hWnd &&
            self->m_dlg.IsCancelled()) {
            self->m_delivered = true;
            SendMessageA(msg->hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(msg->hwnd, IDCANCEL)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static SecondCancel* s_current;
    const CExtractDlg& m_dlg;
    HHOOK m_hook = nullptr;
    bool m_delivered = false;  // touched on the dialog's thread only
};
SecondCancel* SecondCancel::s_current = nullptr;

// Cancel after a Yes asks again; a No then keeps the flag, and the run ends as cancelled.
TEST_F(CancelRun, CancelAfterYesAsksAgainAndNoDoesNotClearTheFlag)
{
    SecondCancel second(*dlg, GetCurrentThreadId());
    ASSERT_TRUE(second.Installed());
    RunInstall([&](DWORD ui) {
        HWND progress, question;
        CancelDuringFilePhase(ui, progress, question);
        ASSERT_NE(question, nullptr);
        PressButton(question, IDYES);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }, kTimeoutMs));
        HWND again = WaitForBox(kQuestion);
        ASSERT_NE(again, nullptr);
        ExpectQuestion(again, progress);
        Sleep(300);
        EXPECT_FALSE(returned);
        PressButton(again, IDNO);
        EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, kTimeoutMs));
    });
    EXPECT_TRUE(dlg->IsCancelled());
    EXPECT_FALSE(FindDialogWhere(IsFinishDialog));
    ExpectCancelledAfter(static_cast<int>(LoggedPaths(Log()).size()) - 1);
}

// Enter reaches the dialog as IDOK when the focus is on no push button; the dialog must not end
// under the running worker.
TEST_F(CancelRun, IdokDuringTheFilePhaseDoesNotEndTheDialog)
{
    RunInstall([&](DWORD ui) {
        HWND progress = WaitForThirdEntry(ui);
        ASSERT_NE(progress, nullptr);
        SendMessageA(progress, WM_COMMAND, IDOK, 0);
        EXPECT_LT(ShownEntry(progress), kCount - 5) << "the file phase ran too fast for this test";
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        EXPECT_TRUE(IsWindow(progress));
        EXPECT_FALSE(returned);
        PressCloseBox(finish);
    });
    EXPECT_EQ(FileNum(), kCount + 3);
}

// The question holds the shortcut phase still too; a Yes there changes nothing, since every file
// is in place: the phase goes on to the end and the finish dialog comes.
TEST_F(InstallRun, TheQuestionPausesTheShortcutPhaseAndYesThereChangesNothing)
{
    constexpr int kItems = 100;
    std::string script = "[main]\r\ntotalfiles=1\r\n[shortcut]\r\ngroup=Quenthary Test\r\nitemnum=" +
                         std::to_string(kItems) + "\r\n";
    for (int i = 0; i < kItems; ++i)
        script += "item" + std::to_string(i) + "FileName=a.txt\r\nitem" + std::to_string(i) +
                  "Desc=Link " + std::to_string(i) + "\r\n";
    WriteWholeFile(SetupPath(SetupFile::kScript), script);
    WritePackage({Item("a.txt", "a")});
    // The shortcuts in the group so far.
    auto links = [&] {
        int count = 0;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((group + "\\*.lnk").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return 0;
        do ++count; while (FindNextFileA(h, &fd));
        FindClose(h);
        return count;
    };

    RunInstall([&](DWORD ui) {
        HWND progress = WaitForProgressDialog(ui);
        ASSERT_NE(progress, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return links() > 0; }, kTimeoutMs)) << "no shortcut was made";
        PressButton(progress, IDCANCEL);
        HWND question = WaitForBox(kQuestion);
        ASSERT_NE(question, nullptr);
        // At most the shortcut under way when the question opened is finished.
        Sleep(100);
        const int made = links();
        Sleep(400);
        EXPECT_EQ(links(), made);
        EXPECT_LT(made, kItems) << "the shortcut phase ran too fast for this test";
        PressButton(question, IDYES);
        // Saving a shortcut costs Wine tens of milliseconds.
        HWND finish = WaitForFinishDialog(60000);
        ASSERT_NE(finish, nullptr);
        PressCloseBox(finish);
    });
    EXPECT_TRUE(dlg->IsCancelled());
    EXPECT_EQ(links(), kItems);
    EXPECT_EQ(FileNum(), 1 + 1 + kItems);
}

// ---------------------------------------------------------------------------------------------
// Incomplete installations: every entry is still tried, logged and counted, but the run ends with
// one message and as a cancel ends, so that the log names all that was made.

TEST_F(InstallRun, EntriesThatDoNotDecompressAreReportedAndTheRunEndsBeforeShortcuts)
{
    std::string damaged = SampleBytes(5000, 7);
    std::vector<PackItem> items = {
        Item("a.txt", "first"),
        {"b.txt", "", "this is not a zip archive"},
        Item("c.txt", "third"),
        {"d.txt", "", MakeRawDeflateZip(Deflate(damaged), 5000, Crc32(damaged) ^ 1)},
        Item("e.txt", "fifth")};
    WritePackage(items);
    WriteScript(5);
    RunInstall([&](DWORD ui) {
        HWND box = WaitForBox("Installation incomplete! 2 file(s) could not be installed, "
                              "the first:\n" + Target(items[1]));
        ASSERT_NE(box, nullptr);
        HWND progress = FindProgressDialog(ui);
        EXPECT_EQ(GetWindow(box, GW_OWNER), progress);
        EXPECT_TRUE(IsWindowVisible(progress));
        EXPECT_EQ(VisibleButtons(box), std::vector<int>{IDOK});
        EXPECT_EQ(ReadBar(progress), (Bar{0, 5, 5}));
        PressButton(box, IDOK);
    });
    EXPECT_TRUE(Logs(LoggedPaths(Log()), (Paths{Target(items[0]), Target(items[1]), Target(items[2]),
                                                 Target(items[3]), Target(items[4])})));
    for (int i : {0, 2, 4}) EXPECT_EQ(ReadWholeFile(Target(items[i])), items[i].content);
    EXPECT_FALSE(FileExists(Target(items[1])));
    for (const PackItem& item : items) EXPECT_FALSE(FileExists(Target(item) + ".zip")) << item.name;
    ExpectEndedBeforeShortcuts();
    EXPECT_FALSE(FindDialogWhere(IsFinishDialog));
}

TEST_F(InstallRun, APackageCutShortIsReportedAndTheRunEndsBeforeShortcuts)
{
    std::vector<PackItem> items = {Item("a.txt", "first"), Item("b.txt", "second")};
    std::string cut = PackEntry("c.txt", MakeZip({{"member", SampleBytes(4000)}}));
    WritePackage(items, cut.substr(0, cut.size() - 100));
    WriteScript(3);
    RunInstall([&](DWORD) {
        HWND box = WaitForBox("Installation incomplete! The package is damaged: this file and the "
                              "files after it could not be installed:\n" + dest + "\\c.txt");
        ASSERT_NE(box, nullptr);
        PressButton(box, IDOK);
    });
    // The entry cut short was listed before it was made.
    EXPECT_TRUE(Logs(LoggedPaths(Log()), (Paths{Target(items[0]), Target(items[1]), dest + "\\c.txt"})));
    EXPECT_EQ(ReadWholeFile(Target(items[1])), "second");
    EXPECT_FALSE(FileExists(dest + "\\c.txt.zip")) << "the partial archive is deleted";
    ExpectEndedBeforeShortcuts();
    EXPECT_FALSE(FindDialogWhere(IsFinishDialog));
}

// An entry that the reader refuses is passed over and the entries after it installed; when the
// package is cut short later on, one box says both.
TEST_F(InstallRun, ARefusedEntryIsPassedOverAndADamagedPackageSaidInTheSameBox)
{
    std::vector<PackItem> items = {Item("a.txt", "first"), Item("..\\outside.txt", "refused"),
                                   Item("b.txt", "second")};
    std::string cut = PackEntry("c.txt", MakeZip({{"member", SampleBytes(4000)}}));
    WritePackage(items, cut.substr(0, cut.size() - 100));
    WriteScript(4);
    RunInstall([&](DWORD ui) {
        HWND box = WaitForBox("Installation incomplete! 1 file(s) could not be installed, the first:\n" +
                              Target(items[1]) + "\n\nThe package is damaged: this file and the "
                              "files after it could not be installed:\n" + dest + "\\c.txt");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ReadBar(FindProgressDialog(ui)), (Bar{0, 4, 3}));
        PressButton(box, IDOK);
    });
    EXPECT_TRUE(Logs(LoggedPaths(Log()), (Paths{Target(items[0]), Target(items[2]), dest + "\\c.txt"})));
    EXPECT_EQ(ReadWholeFile(Target(items[2])), "second");
    EXPECT_FALSE(FileExists(root / "outside.txt"));
    EXPECT_FALSE(FileExists(root / "outside.txt.zip"));
    ExpectEndedBeforeShortcuts();
}

// A log that refuses its lines (here a folder stands where the log would be) is no silent
// success: the files are installed, but the box says that the uninstaller would not know of them.
TEST_F(InstallRun, ALogThatCannotBeWrittenIsReported)
{
    CreateDirectoryA(dest.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA(Log().c_str(), nullptr));
    std::vector<PackItem> items = {Item("a.txt", "first"), Item("b.txt", "second")};
    WritePackage(items);
    WriteScript(2);
    RunInstall([&](DWORD) {
        HWND box = WaitForBox("Installation incomplete! 2 item(s) could not be recorded in the "
                              "uninstall log, so an uninstaller would leave them behind, the first:\n" +
                              Target(items[0]));
        ASSERT_NE(box, nullptr);
        PressButton(box, IDOK);
    });
    EXPECT_EQ(ReadWholeFile(Target(items[1])), "second");
    EXPECT_FALSE(DirectoryExists(group));
    EXPECT_FALSE(FindDialogWhere(IsFinishDialog));
    RemoveDirectoryA(Log().c_str());
}

// A package without entries and a clean end are no failure: the run goes on to the finish dialog.
TEST_F(InstallRun, AnEmptyPackageStillMakesShortcutsAndShowsTheFinishDialog)
{
    WritePackage({});
    WriteScript(0);
    RunInstall([&](DWORD) {
        HWND finish = WaitForFinishDialog();
        ASSERT_NE(finish, nullptr);
        PressCloseBox(finish);
    });
    EXPECT_TRUE(Logs(LoggedPaths(Log()), ShortcutEntries()));
    EXPECT_EQ(FileNum(), 3);
}

TEST_F(InstallRun, AFullDiskIsReportedAndTheRunEndsBeforeShortcuts)
{
    REQUIRE_SMALL_DRIVE(drive);
    ScratchDir small(drive);
    dest = small / "Quenthary";
    // Zeros deflate to almost nothing: the archive fits, the installed file does not. The part of
    // it that was written fills the drive, so the entries after it are counted too: each is tried.
    std::vector<PackItem> items = {Item("a.txt", "first"), Item("big.bin", std::string(2 << 20, '\0')),
                                   Item("c.txt", SampleBytes(20000, 3)), Item("d.txt", SampleBytes(20000, 4))};
    WritePackage(items);
    WriteScript(4);
    RunInstall([&](DWORD) {
        HWND box = WaitForBox("Installation incomplete! 3 file(s) could not be installed, "
                              "the first:\n" + Target(items[1]));
        ASSERT_NE(box, nullptr);
        PressButton(box, IDOK);
    });
    // Each entry was listed before it was tried.
    EXPECT_TRUE(Logs(LoggedPaths(Log()), (Paths{Target(items[0]), Target(items[1]), Target(items[2]),
                                               Target(items[3])})));
    EXPECT_EQ(ReadWholeFile(Target(items[0])), "first");
    for (const PackItem& item : items) EXPECT_FALSE(FileExists(Target(item) + ".zip")) << item.name;
    ExpectEndedBeforeShortcuts();
}

// ---------------------------------------------------------------------------------------------
// A worker that cannot be started

class CNoWorkerDlg : public CExtractDlg {
protected:
    CWinThread* BeginWorker() override { return nullptr; }
};

TEST_F(InstallRun, WithoutAWorkerTheDialogEndsAtOnce)
{
    WritePackage({Item("a.txt", "a")});
    WriteScript(1);
    CNoWorkerDlg noWorker;
    DWORD ui = GetCurrentThreadId();
    std::atomic<bool> ended{false};
    std::thread watchdog([&] {
        if (!WaitUntil([&] { return ended.load(); }, kTimeoutMs)) PostThreadMessageA(ui, WM_QUIT, 0, 0);
    });
    DWORD start = GetTickCount();
    noWorker.RunExtraction(dest.c_str(), nullptr);
    DWORD took = GetTickCount() - start;
    ended = true;
    watchdog.join();
    EXPECT_LT(took, 2000u);
    EXPECT_EQ(noWorker.m_pWorkerThread, nullptr);
    EXPECT_TRUE(DirectoryExists(dest));
    EXPECT_FALSE(FileExists(dest + "\\a.txt"));
}

}  // namespace
