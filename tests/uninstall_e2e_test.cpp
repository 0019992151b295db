// The uninstaller as users meet it: a product installed by the real setup.exe from a setup
// directory that the Windows build of mkpak makes with --uninstaller, then the installed
// uninstall.exe started as its Start-menu shortcut starts it (in the destination) and driven
// through its windows. The removal itself runs in a copy of the uninstaller in the temporary
// folder, another process than the one the test starts: its windows are found by caption in any
// process. Each test then checks everything left on disk. The current user's Programs and Desktop
// shell folders point at the test's own folders while it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "dialog_driver.h"
#include "package_fixtures.h"
#include "resource.h"
#include "shell_folders.h"
#include "test_support.h"

namespace {

constexpr char kTitle[] = "Quenthary Setup";
constexpr DWORD kTimeoutMs = 30000;

std::string Beside(const char* name)
{
    return TestProgramDir() + name;
}

struct ProductFile {
    std::string name;  // relative path, "\" between levels
    std::string bytes;
};

std::vector<ProductFile> SmallProduct()
{
    return {
        {"bin\\game.exe", "MZ the game"},
        {"data\\levels\\one.dat", SampleBytes(30000, 7)},
        {"empty.txt", ""},
        {"readme.txt", "Read me first.\r\n"},
    };
}

// A group with a sub-folder, shortcuts in both, a desktop shortcut, and the uninstaller's own.
std::string Script(const std::string& location)
{
    return "[main]\r\n"
           "title=Quenthary Setup\r\n"
           "location=" + location + "\r\n"
           "[shortcut]\r\n"
           "group=Quenthary\r\n"
           "itemnum=4\r\n"
           "item0FileName=bin\\game.exe\r\n"
           "item0Desc=Play Quenthary\r\n"
           "item0Desktop=1\r\n"
           "item1Group=Tools\r\n"
           "item2FileName=readme.txt\r\n"
           "item2Desc=Read me\r\n"
           "item3FileName=uninstall.exe\r\n"
           "item3Desc=Uninstall Quenthary\r\n";
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

std::vector<std::string> Names(const Tree& tree)
{
    std::vector<std::string> names;
    for (const auto& entry : tree) names.push_back(entry.first);
    return names;
}

// The copies of the uninstaller in the temporary folder.
std::set<std::string> RemovalCopies()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::set<std::string> copies;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((std::string(temp) + "~uninstall-*.exe").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return copies;
    do copies.insert(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return copies;
}

std::string FileName(const std::string& path)
{
    return path.substr(path.rfind('\\') + 1);
}

// What the removal showed between the question's Yes and its end message.
struct Removal {
    bool bEnded = false;         // the end message came, was answered, and the copy ended
    std::string text;            // the end message
    bool bIcon = false;
    std::string copyImage;       // the program that showed it
    bool bProgressSeen = false;  // the progress dialog was on the screen
    int progressRange = -1;      // its bar's upper bound
    std::vector<int> positions;  // the bar's positions seen
};

class Uninstaller : public ::testing::Test {
protected:
    Uninstaller()
        : m_folders(m_scratch.Path()),
          m_programs(m_folders.programs),
          m_desktop(m_folders.desktop),
          m_games(m_scratch / "Games"),
          m_dest(m_games + "\\Quenthary")
    {
        CreateDirectoryA(m_games.c_str(), nullptr);
    }

    // A setup directory made with mkpak from `files` (plus the uninstaller) and `script`, with
    // the log template `logTemplate` (mkpak's own when empty); its path with a trailing backslash.
    std::string MakeSetupDir(const std::vector<ProductFile>& files, const std::string& script,
                             const std::string& logTemplate = "")
    {
        std::string product = m_scratch / "product";
        CreateDirectoryA(product.c_str(), nullptr);
        for (const ProductFile& f : files) {
            for (std::size_t slash = f.name.find('\\'); slash != std::string::npos; slash = f.name.find('\\', slash + 1))
                CreateDirectoryA((product + "\\" + f.name.substr(0, slash)).c_str(), nullptr);
            WriteWholeFile(product + "\\" + f.name, f.bytes);
        }
        std::string scriptPath = m_scratch / "script.ini";
        WriteWholeFile(scriptPath, script);
        std::string extra;
        if (!logTemplate.empty()) {
            WriteWholeFile(m_scratch / "template.ini", logTemplate);
            extra = " --uninstall \"" + (m_scratch / "template.ini") + "\"";
        }
        std::string setup = m_scratch / "setup";
        // mkpak finds setup.exe and uninstall.exe beside itself.
        DWORD code = RunProgram(Beside("mkpak.exe"), "build --complete --uninstaller --script \"" + scriptPath +
                                                         "\"" + extra + " \"" + product + "\" \"" + setup + "\"");
        EXPECT_EQ(code, 0u) << "mkpak could not build the setup directory";
        RemoveTree(product);
        return setup + "\\";
    }

    // Installs into `dest` (typed into the destination dialog) and closes the finish dialog.
    void Install(const std::string& setupDir, const std::string& dest)
    {
        ChildProcess setup(setupDir + "setup.exe", "", setupDir);
        ASSERT_TRUE(setup.Started());
        HWND dialog = WaitForDialog(kTitle, setup.Id());
        ASSERT_NE(dialog, nullptr) << "no destination dialog";
        SetControlText(dialog, IDC_DEST, dest);
        PressButton(dialog, IDOK);
        HWND finish = WaitForDialogWithControl(IDC_LAUNCH, setup.Id(), kTimeoutMs);
        ASSERT_NE(finish, nullptr) << "no finish dialog";
        PressCloseBox(finish);
        ASSERT_TRUE(setup.Ends(kTimeoutMs));
        ASSERT_TRUE(FileExists(m_dest + "\\uninstall.exe")) << "the uninstaller was not installed";
    }
    void InstallSmallProduct(const std::string& logTemplate = "")
    {
        Install(MakeSetupDir(SmallProduct(), Script(m_dest), logTemplate), m_dest);
    }

    // Starts the installed uninstaller as its shortcut does, in the destination, and checks its
    // question: a message box of its own (owned by no window) with a question icon, Yes and No,
    // No the default.
    HWND StartAtQuestion(const std::string& product = "Quenthary")
    {
        m_uninstaller = std::make_unique<ChildProcess>(m_dest + "\\uninstall.exe", "", m_dest);
        EXPECT_TRUE(m_uninstaller->Started());
        HWND box = WaitForDialog(product, m_uninstaller->Id());
        if (!box) {
            ADD_FAILURE() << "no question captioned \"" << product << "\"";
            return nullptr;
        }
        EXPECT_EQ(MessageBoxText(box), "Remove " + product + " from " + m_dest + "?");
        EXPECT_NE(MessageBoxIcon(box), nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
        EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        HWND no = GetDlgItem(box, IDNO);
        EXPECT_EQ(GetWindowLongA(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "No is the default";
        return box;
    }

    // Answers Yes, follows the removal to its end message (watching for the progress dialog on
    // the way), answers that with OK and waits for the copy to end.
    Removal RemoveWithYes(HWND question, const std::string& product = "Quenthary")
    {
        Removal r;
        PressButton(question, IDYES);
        EXPECT_TRUE(m_uninstaller->Ends(kTimeoutMs)) << "the installed uninstaller is still running";
        EXPECT_EQ(m_uninstaller->ExitCode(), 0u);
        const std::string progressCaption = "Removing " + product;
        HWND end = nullptr;
        WaitUntil([&] {
            if (HWND progress = FindDialogNow(progressCaption, kAnyProcess)) {
                r.bProgressSeen = true;
                HWND bar = GetWindow(progress, GW_CHILD);
                for (; bar; bar = GetWindow(bar, GW_HWNDNEXT)) {
                    char cls[32] = "";
                    GetClassNameA(bar, cls, sizeof cls);
                    if (lstrcmpiA(cls, PROGRESS_CLASSA) == 0) break;
                }
                DWORD_PTR value = 0;
                if (bar && SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 1000, &value))
                    r.progressRange = static_cast<int>(value);
                if (bar && SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &value))
                    r.positions.push_back(static_cast<int>(value));
            }
            end = FindDialogNow(product, kAnyProcess);
            return end != nullptr;
        }, kTimeoutMs);
        if (!end) {
            ADD_FAILURE() << "no end message captioned \"" << product << "\"";
            return r;
        }
        Sleep(100);  // let its initialisation finish
        r.text = MessageBoxText(end);
        r.bIcon = MessageBoxIcon(end) != nullptr;
        EXPECT_EQ(GetDlgItem(end, IDCANCEL), nullptr) << "the end message has OK only";
        DWORD pid = 0;
        GetWindowThreadProcessId(end, &pid);
        HANDLE copy = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        EXPECT_NE(copy, nullptr);
        char image[MAX_PATH] = "";
        DWORD size = MAX_PATH;
        if (copy) QueryFullProcessImageNameA(copy, 0, image, &size);
        r.copyImage = image;
        PressButton(end, IDOK);
        r.bEnded = copy && WaitForSingleObject(copy, kTimeoutMs) == WAIT_OBJECT_0;
        if (copy) CloseHandle(copy);
        EXPECT_TRUE(r.bEnded) << "the removal's copy did not end";
        return r;
    }

    std::string Removed(const std::string& product = "Quenthary") const
    {
        return product + " was removed from your computer.";
    }
    static std::string RemovedExcept(int count, const std::string& first)
    {
        return "Quenthary was removed, except for " + std::to_string(count) + " item(s), the first:\n" + first;
    }

    // The shortcuts and folders of the Start menu and the desktop are gone, the folders
    // themselves stay.
    void ExpectNoShortcutsLeft() const
    {
        EXPECT_TRUE(DirectoryExists(m_programs));
        EXPECT_TRUE(DirectoryExists(m_desktop));
        EXPECT_EQ(Names(TreeOf(m_programs)), std::vector<std::string>());
        EXPECT_EQ(Names(TreeOf(m_desktop)), std::vector<std::string>());
    }

    std::string Log() const { return m_dest + "\\uninstall.ini"; }
    int FileCount() const { return GetPrivateProfileIntA("files", "filenum", -1, Log().c_str()); }
    // Adds `path` to the log as its next entry.
    void AddToLog(const std::string& path)
    {
        int n = FileCount();
        ASSERT_GE(n, 0);
        WritePrivateProfileStringA("files", ("file" + std::to_string(n)).c_str(), path.c_str(), Log().c_str());
        WritePrivateProfileStringA("files", "filenum", std::to_string(n + 1).c_str(), Log().c_str());
    }

    ScratchDir m_scratch;
    TestShellFolders m_folders;
    std::string m_programs, m_desktop, m_games, m_dest;
    std::unique_ptr<ChildProcess> m_uninstaller;
};

// --- Removing a whole installation --------------------------------------------------------------

// With a hundred more files the removal is short still (well under the 0.3 s after which the
// progress dialog comes), but long enough for a dialog shown at once to be seen.
TEST_F(Uninstaller, YesRemovesEverythingTheInstallationMade)
{
    std::vector<ProductFile> files = SmallProduct();
    for (int i = 0; i < 100; ++i) files.push_back({"data\\more\\part" + std::to_string(i) + ".txt", "x"});
    Install(MakeSetupDir(files, Script(m_dest)), m_dest);
    EXPECT_EQ(LoggedPaths(Log()).size(), 111u) << "105 files, 2 folders and 4 shortcuts";
    std::set<std::string> copiesBefore = RemovalCopies();
    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);

    Removal r = RemoveWithYes(question);
    EXPECT_EQ(r.text, Removed());
    EXPECT_TRUE(r.bIcon);
    EXPECT_FALSE(r.bProgressSeen) << "a removal this short shows no progress dialog";

    EXPECT_FALSE(DirectoryExists(m_dest)) << "left: " << testing::PrintToString(Names(TreeOf(m_dest)));
    EXPECT_TRUE(DirectoryExists(m_games)) << "the folder above the destination stays";
    ExpectNoShortcutsLeft();

    // The removal ran from a copy in the temporary folder, which takes away those of earlier
    // removals: its own is the only one left.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(lstrcmpiA(r.copyImage.substr(0, r.copyImage.rfind('\\') + 1).c_str(), temp), 0) << r.copyImage;
    std::set<std::string> copiesAfter = RemovalCopies();
    EXPECT_EQ(copiesAfter, std::set<std::string>{FileName(r.copyImage)});
    EXPECT_EQ(copiesBefore.count(FileName(r.copyImage)), 0u);
}

TEST_F(Uninstaller, DestinationTypedWithATrailingBackslashIsRemovedAllTheSame)
{
    Install(MakeSetupDir(SmallProduct(), Script(m_dest)), m_dest + "\\");
    ASSERT_EQ(LoggedPaths(Log())[0], m_dest + "\\\\bin\\game.exe");
    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(RemoveWithYes(question).text, Removed());
    EXPECT_FALSE(DirectoryExists(m_dest));
    ExpectNoShortcutsLeft();
}

TEST_F(Uninstaller, NoChangesNothing)
{
    InstallSmallProduct();
    Tree before = TreeOf(m_scratch.Path());
    std::set<std::string> copiesBefore = RemovalCopies();
    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    PressButton(question, IDNO);
    ASSERT_TRUE(m_uninstaller->Ends(kTimeoutMs));
    EXPECT_EQ(m_uninstaller->ExitCode(), 0u);
    Sleep(500);  // time enough for a copy, were one started, to begin
    EXPECT_EQ(TreeOf(m_scratch.Path()), before);
    EXPECT_EQ(RemovalCopies(), copiesBefore) << "no copy was made";
}

// --- What stays ----------------------------------------------------------------------------------

// The product's name comes from the log template; a file the user made keeps itself and the
// folders above it.
TEST_F(Uninstaller, AFileTheUserMadeKeepsItselfAndTheFoldersAboveIt)
{
    InstallSmallProduct("[uninstall]\r\nproduct=Quenthary Deluxe\r\n");
    WriteWholeFile(m_dest + "\\data\\levels\\mine.sav", "my game");
    HWND question = StartAtQuestion("Quenthary Deluxe");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(RemoveWithYes(question, "Quenthary Deluxe").text, Removed("Quenthary Deluxe"));

    Tree left = TreeOf(m_dest);
    EXPECT_EQ(Names(left), (std::vector<std::string>{"data", "data\\levels", "data\\levels\\mine.sav"}));
    EXPECT_EQ(left["data\\levels\\mine.sav"], "my game");
    ExpectNoShortcutsLeft();
}

// Windows refuses to delete a read-only file: the attribute is cleared first. (Wine lets a process
// run as root delete one anyway, so the test looks at the attribute through a second name of the
// same file, a hard link outside the destination.)
TEST_F(Uninstaller, AReadOnlyInstalledFileGoesWithItsAttributeCleared)
{
    InstallSmallProduct();
    const std::string installed = m_dest + "\\readme.txt";
    const std::string link = m_scratch / "readme-link.txt";
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), installed.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_READONLY);

    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(RemoveWithYes(question).text, Removed());
    EXPECT_FALSE(DirectoryExists(m_dest));
    ASSERT_TRUE(FileExists(link)) << "the link outside is no entry";
    EXPECT_FALSE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReadWholeFile(link), "Read me first.\r\n");
}

// A file that cannot be deleted (here: open without delete sharing) is named, and everything else
// goes.
TEST_F(Uninstaller, AFileInUseIsNamedAndTheRestGoes)
{
    InstallSmallProduct();
    const std::string held = m_dest + "\\data\\levels\\one.dat";
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    Removal r = RemoveWithYes(question);
    CloseHandle(file);
    EXPECT_EQ(r.text, RemovedExcept(1, held));
    EXPECT_TRUE(r.bIcon);
    EXPECT_EQ(Names(TreeOf(m_dest)), (std::vector<std::string>{"data", "data\\levels", "data\\levels\\one.dat"}));
    ExpectNoShortcutsLeft();
}

// Entries that name paths outside the destination and the shell folders, or a path through "..",
// or a device, are left alone and counted; the end message names the first in the log's order.
TEST_F(Uninstaller, PathsOutsideAreLeftAloneAndNamed)
{
    InstallSmallProduct();
    const std::string elsewhere = m_scratch / "elsewhere.txt";
    const std::string sibling = m_games + "\\QuentharyX\\keep.txt";
    WriteWholeFile(elsewhere, "not the product's");
    CreateDirectoryA((m_games + "\\QuentharyX").c_str(), nullptr);
    WriteWholeFile(sibling, "a folder whose name begins alike");
    WriteWholeFile(m_dest + "\\mine.txt", "the user's");
    AddToLog(elsewhere);
    AddToLog(m_dest + "\\bin\\..\\mine.txt");
    AddToLog(sibling);
    AddToLog(m_dest + "\\NUL");

    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    Removal r = RemoveWithYes(question);
    EXPECT_EQ(r.text, RemovedExcept(4, elsewhere));
    EXPECT_EQ(ReadWholeFile(elsewhere), "not the product's");
    EXPECT_EQ(ReadWholeFile(sibling), "a folder whose name begins alike");
    Tree left = TreeOf(m_dest);
    EXPECT_EQ(Names(left), std::vector<std::string>{"mine.txt"});
    ExpectNoShortcutsLeft();
}

// --- The progress dialog ------------------------------------------------------------------------

// A removal that lasts shows its progress dialog: a bar over the log's entries that moves on.
// (The short removals of the tests above show none: see YesRemovesEverythingTheInstallationMade.)
TEST_F(Uninstaller, ALongRemovalShowsItsProgressOverTheLogsEntries)
{
    std::vector<ProductFile> files;
    for (int i = 0; i < 1500; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "data\\%02d\\part%04d.dat", i / 100, i);
        files.push_back({name, "x"});
    }
    Install(MakeSetupDir(files, Script(m_dest)), m_dest);
    const std::size_t entries = LoggedPaths(Log()).size();
    ASSERT_EQ(entries, files.size() + 7);
    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    DWORD start = GetTickCount();
    Removal r = RemoveWithYes(question);
    std::printf("the removal of %zu entries took about %lu ms\n", entries,
                static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_EQ(r.text, Removed());
    ASSERT_TRUE(r.bProgressSeen) << "no progress dialog";
    EXPECT_EQ(r.progressRange, static_cast<int>(entries));
    ASSERT_FALSE(r.positions.empty());
    EXPECT_LT(r.positions.front(), static_cast<int>(entries));
    EXPECT_TRUE(std::is_sorted(r.positions.begin(), r.positions.end()));
    EXPECT_FALSE(DirectoryExists(m_dest));
    ExpectNoShortcutsLeft();
}

// --- Other logs ---------------------------------------------------------------------------------

// A cancelled installation's log has no "filenum": its entries run to the first missing key. The
// uninstaller sorts before the product's files, so it was installed before the cancel. Nothing is
// left, not even of the entry that was read ahead when the cancel came.
TEST_F(Uninstaller, ACancelledInstallationsLogRemovesWhatWasMade)
{
    std::vector<ProductFile> files;
    for (int i = 0; i < 2400; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "videos\\part%04d.dat", i);
        files.push_back({name, SampleBytes(2000, i + 1)});
    }
    std::string setupDir = MakeSetupDir(files, Script(m_dest));
    ChildProcess setup(setupDir + "setup.exe", "", setupDir);
    ASSERT_TRUE(setup.Started());
    HWND dialog = WaitForDialog(kTitle, setup.Id());
    ASSERT_NE(dialog, nullptr);
    SetControlText(dialog, IDC_DEST, m_dest);
    PressButton(dialog, IDOK);
    HWND progress = WaitForDialog("Extracting files...", setup.Id());
    ASSERT_NE(progress, nullptr) << "no progress dialog";
    PressButton(progress, IDCANCEL);
    HWND box = WaitForDialog("setup", setup.Id());
    ASSERT_NE(box, nullptr) << "no cancel question";
    PressButton(box, IDYES);
    ASSERT_TRUE(setup.Ends(kTimeoutMs));
    ASSERT_EQ(FileCount(), -1) << "a cancelled installation writes no filenum";
    std::vector<std::string> logged = LoggedPaths(Log());
    ASSERT_GT(logged.size(), 1u);
    ASSERT_LT(logged.size(), files.size() + 1) << "the cancel came too late";
    ASSERT_EQ(logged[0], m_dest + "\\uninstall.exe");
    // The entry read ahead before the cancel was seen is taken back: no archive is left.
    for (const std::string& name : Names(TreeOf(m_dest)))
        EXPECT_NE(name.substr(name.size() > 4 ? name.size() - 4 : 0), ".zip") << name;

    HWND question = StartAtQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(RemoveWithYes(question).text, Removed());
    EXPECT_FALSE(DirectoryExists(m_dest)) << "left: " << testing::PrintToString(Names(TreeOf(m_dest)));
    ExpectNoShortcutsLeft();
}

TEST_F(Uninstaller, WithoutALogItSaysSoAndEndsWithStatusOne)
{
    const std::string folder = m_scratch / "lonely";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(Beside("uninstall.exe").c_str(), (folder + "\\uninstall.exe").c_str(), FALSE));
    Tree before = TreeOf(m_scratch.Path());
    ChildProcess uninstaller(folder + "\\uninstall.exe", "", folder);
    ASSERT_TRUE(uninstaller.Started());
    HWND box = WaitForDialog("Uninstall", uninstaller.Id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Nothing to uninstall: uninstall.ini was not found beside this program.");
    PressButton(box, IDOK);
    ASSERT_TRUE(uninstaller.Ends(kTimeoutMs));
    EXPECT_EQ(uninstaller.ExitCode(), 1u);
    EXPECT_EQ(TreeOf(m_scratch.Path()), before);
}

}  // namespace
