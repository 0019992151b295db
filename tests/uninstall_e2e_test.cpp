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
#include <tlhelp32.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "apps_and_features.h"
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
    // `programs` names a folder beside the test that holds another build of setup.exe and
    // uninstall.exe; empty for the one beside mkpak.
    std::string MakeSetupDir(const std::vector<ProductFile>& files, const std::string& script,
                             const std::string& logTemplate = "", const std::string& programs = "")
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
        if (!programs.empty())
            extra += " --setup-exe \"" + Beside((programs + "\\setup.exe").c_str()) + "\" --uninstall-exe \"" +
                     Beside((programs + "\\uninstall.exe").c_str()) + "\"";
        std::string setup = m_scratch / "setup";
        // mkpak finds setup.exe and uninstall.exe beside itself.
        DWORD code = RunProgram(Beside("mkpak.exe"), "build --complete --uninstaller --script \"" + scriptPath +
                                                         "\"" + extra + " \"" + product + "\" \"" + setup + "\"");
        EXPECT_EQ(code, 0u) << "mkpak could not build the setup directory";
        RemoveTree(product);
        return setup + "\\";
    }

    // Puts the installer as built, without a stamp, in place of the stamped one of `setupDir`.
    void Unstamp(const std::string& setupDir)
    {
        ASSERT_TRUE(CopyFileA(Beside("setup.exe").c_str(), (setupDir + "setup.exe").c_str(), FALSE));
    }

    // Starts setup.exe from `setupDir`, types `dest` into its destination dialog and presses Install.
    std::unique_ptr<ChildProcess> StartInstalling(const std::string& setupDir, const std::string& dest)
    {
        auto setup = std::make_unique<ChildProcess>(setupDir + "setup.exe", "", setupDir);
        EXPECT_TRUE(setup->Started());
        HWND dialog = WaitForDialog(kTitle, setup->Id());
        EXPECT_NE(dialog, nullptr) << "no destination dialog";
        if (dialog) {
            SetControlText(dialog, IDC_DEST, dest);
            PressButton(dialog, IDOK);
        }
        return setup;
    }
    // Installs into `dest` and closes the finish dialog.
    void Install(const std::string& setupDir, const std::string& dest)
    {
        auto setup = StartInstalling(setupDir, dest);
        HWND finish = WaitForDialogWithControl(IDC_LAUNCH, setup->Id(), kTimeoutMs);
        ASSERT_NE(finish, nullptr) << "no finish dialog";
        PressCloseBox(finish);
        ASSERT_TRUE(setup->Ends(kTimeoutMs));
        ASSERT_TRUE(FileExists(m_dest + "\\uninstall.exe")) << "the uninstaller was not installed";
    }
    void InstallSmallProduct(const std::string& logTemplate = "")
    {
        Install(MakeSetupDir(SmallProduct(), Script(m_dest), logTemplate), m_dest);
    }
    // Installs into m_dest, which ends with a message box instead of the finish dialog; its text.
    std::string InstallToABox(const std::string& setupDir)
    {
        auto setup = StartInstalling(setupDir, m_dest);
        HWND box = WaitForDialog("setup", setup->Id(), kTimeoutMs);
        if (!box) {
            ADD_FAILURE() << "no message box";
            return std::string();
        }
        std::string text = MessageBoxText(box);
        PressButton(box, IDOK);
        EXPECT_TRUE(setup->Ends(kTimeoutMs));
        return text;
    }
    // Removes with the installed uninstaller, which must end saying `text`.
    void UninstallSaying(const std::string& text, const std::string& product = "Quenthary")
    {
        HWND question = StartAtQuestion(product);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(RemoveWithYes(question, product).text, text);
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

// A run killed while it unpacked a file leaves that file's archive beside it, and no "filenum": the
// archive of a listed file goes with it. Another file of the same kind is the user's.
TEST_F(Uninstaller, TheArchiveOfTheFileACutOffRunWasUnpackingGoes)
{
    InstallSmallProduct();
    WritePrivateProfileStringA("files", "filenum", nullptr, Log().c_str());
    WriteWholeFile(m_dest + "\\data\\levels\\one.dat.zip", "PK the archive under way");
    WriteWholeFile(m_dest + "\\bin\\mine.zip", "PK the user's");
    UninstallSaying(Removed());
    EXPECT_EQ(Names(TreeOf(m_dest)), (std::vector<std::string>{"bin", "bin\\mine.zip"}));
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

// A removal that lasts shows its progress dialog: a bar over the log's entries that moves on. Four
// thousand files take a second or more to remove, well beyond the 0.3 s after which it comes.
// (The short removals of the tests above show none: see YesRemovesEverythingTheInstallationMade.)
TEST_F(Uninstaller, ALongRemovalShowsItsProgressOverTheLogsEntries)
{
    std::vector<ProductFile> files;
    for (int i = 0; i < 4000; ++i) {
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
// left: the cancel leaves no archive of an entry it did not install.
TEST_F(Uninstaller, ACancelledInstallationsLogRemovesWhatWasMade)
{
    std::vector<ProductFile> files;
    for (int i = 0; i < 2400; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "videos\\part%04d.dat", i);
        files.push_back({name, SampleBytes(2000, i + 1)});
    }
    auto installing = StartInstalling(MakeSetupDir(files, Script(m_dest)), m_dest);
    ChildProcess& setup = *installing;
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
    // The cancel is seen before the next entry is read: no archive of it is left.
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

// --- A product's whole life ----------------------------------------------------------------------

// Everything on the Start menu and the desktop, as full paths.
std::vector<std::string> ShellFiles(const std::string& programs, const std::string& desktop)
{
    std::vector<std::string> paths;
    for (const std::string* root : {&programs, &desktop})
        for (const auto& entry : TreeOf(*root)) paths.push_back(*root + "\\" + entry.first);
    return paths;
}

std::string Folded(std::string path)
{
    CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

// Holds every thread of a process still, for a look at what it has done so far.
class ProcessHold {
public:
    explicit ProcessHold(DWORD pid)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 te{};
        te.dwSize = sizeof te;
        for (BOOL more = Thread32First(snapshot, &te); more; more = Thread32Next(snapshot, &te)) {
            if (te.th32OwnerProcessID != pid) continue;
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, te.th32ThreadID);
            if (!thread) continue;
            SuspendThread(thread);
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            GetThreadContext(thread, &context);  // returns once the thread is really held
            m_threads.push_back(thread);
        }
        CloseHandle(snapshot);
    }
    ~ProcessHold()
    {
        for (HANDLE thread : m_threads) {
            ResumeThread(thread);
            CloseHandle(thread);
        }
    }

private:
    std::vector<HANDLE> m_threads;
};

// Killed at any moment of the shortcut phase, the installation has listed everything it made:
// the installer is held still again and again while it makes a hundred shortcuts, and each time
// every shortcut and folder on disk is in the log. Then it is killed, and the uninstaller leaves
// nothing behind.
TEST_F(Uninstaller, AKillDuringTheShortcutPhaseLeavesNothingUnlisted)
{
    std::string script = Script(m_dest);
    script.replace(script.find("itemnum=4"), 9, "itemnum=104");
    for (int i = 4; i < 104; ++i)
        script += "item" + std::to_string(i) + "FileName=readme.txt\r\nitem" + std::to_string(i) + "Desc=Note " +
                  std::to_string(i) + "\r\nitem" + std::to_string(i) + "Desktop=" + std::to_string(i % 2) + "\r\n";
    auto installing = StartInstalling(MakeSetupDir(SmallProduct(), script), m_dest);
    ChildProcess& setup = *installing;
    ASSERT_TRUE(WaitUntil([&] { return DirectoryExists(m_programs + "\\Quenthary"); }, kTimeoutMs));

    int looks = 0;
    std::size_t madeAtLastLook = 0;
    while (!setup.Ends(0) && !FindDialogWhere([](HWND h) { return GetDlgItem(h, IDC_LAUNCH) != nullptr; }, setup.Id())) {
        {
            // What is on disk first, then the log: whatever was made before the look was listed
            // before it was made.
            ProcessHold hold(setup.Id());
            std::vector<std::string> made = ShellFiles(m_programs, m_desktop);
            std::set<std::string> listed;
            for (const std::string& path : LoggedPaths(Log())) listed.insert(Folded(path));
            for (const std::string& path : made)
                ASSERT_EQ(listed.count(Folded(path)), 1u) << path << " is not listed in\n" << ReadWholeFile(Log());
            madeAtLastLook = made.size();
        }
        ++looks;
        Sleep(looks % 3);
    }
    std::printf("looked %d times, %zu shortcuts and folders made at the last look\n", looks, madeAtLastLook);
    EXPECT_GT(looks, 20) << "the shortcut phase was over too soon to be looked at";
    setup.Terminate();

    UninstallSaying(Removed());
    EXPECT_FALSE(DirectoryExists(m_dest)) << "left: " << testing::PrintToString(Names(TreeOf(m_dest)));
    ExpectNoShortcutsLeft();
}

// Version 2 installed over version 1 keeps version 1's record: the uninstaller then removes what
// either made (empty.txt, data\levels\one.dat and the sub-folder Tools with its shortcuts exist
// only in version 1), and a file the user made stays with the folders above it.
TEST_F(Uninstaller, AnUpgradeKeepsTheEarlierRecordAndTheRemovalTakesBoth)
{
    InstallSmallProduct();
    WriteWholeFile(m_dest + "\\bin\\mine.sav", "my game");
    std::vector<ProductFile> v2 = {{"bin\\game.exe", "MZ version 2"}, {"readme.txt", "Read me again."},
                                   {"docs\\new.txt", "new in 2"}};
    std::string script = Script(m_dest);
    script = script.substr(0, script.find("itemnum=")) +
             "itemnum=2\r\nitem0FileName=bin\\game.exe\r\nitem0Desc=Play Quenthary\r\nitem0Desktop=1\r\n"
             "item1FileName=uninstall.exe\r\nitem1Desc=Uninstall Quenthary\r\n";
    Install(MakeSetupDir(v2, script), m_dest);
    ASSERT_EQ(ReadWholeFile(m_dest + "\\bin\\game.exe"), "MZ version 2");
    ASSERT_TRUE(DirectoryExists(m_programs + "\\Quenthary\\Tools"));

    std::vector<std::string> logged = LoggedPaths(Log());
    std::set<std::string> once;
    for (const std::string& path : logged) EXPECT_TRUE(once.insert(Folded(path)).second) << path << " twice";
    EXPECT_EQ(FileCount(), static_cast<int>(logged.size()));

    UninstallSaying(Removed());
    EXPECT_EQ(Names(TreeOf(m_dest)), (std::vector<std::string>{"bin", "bin\\mine.sav"}));
    EXPECT_EQ(ReadWholeFile(m_dest + "\\bin\\mine.sav"), "my game");
    ExpectNoShortcutsLeft();
}

// A package cut short inside an entry of a sub-folder: the folders made for that entry are taken
// back, the entry is listed all the same, and the uninstaller leaves nothing.
TEST_F(Uninstaller, APackageCutInsideASubFolderLeavesNothingAfterTheRemoval)
{
    std::vector<ProductFile> files = SmallProduct();
    files.push_back({"zzz\\deeper\\last.bin", SampleBytes(50000, 9)});
    const std::string setupDir = MakeSetupDir(files, Script(m_dest));
    Unstamp(setupDir);
    const std::string package = setupDir + "data.pak";
    std::string bytes = ReadWholeFile(package);
    WriteWholeFile(package, bytes.substr(0, bytes.size() - 1000));

    EXPECT_EQ(InstallToABox(setupDir), "Installation incomplete! The package is damaged: this file and the files "
                                       "after it could not be installed:\n" + m_dest + "\\zzz\\deeper\\last.bin");
    EXPECT_FALSE(DirectoryExists(m_dest + "\\zzz"));
    EXPECT_EQ(LoggedPaths(Log()).back(), m_dest + "\\zzz\\deeper\\last.bin");
    UninstallSaying(Removed());
    EXPECT_FALSE(DirectoryExists(m_dest)) << "left: " << testing::PrintToString(Names(TreeOf(m_dest)));
    ExpectNoShortcutsLeft();
}

// --- A stamped setup directory changed after it was published ------------------------------------

namespace {

// The package's entries as they lie in it: each one's header and data.
std::vector<std::string> SplitPackage(const std::string& package)
{
    std::vector<std::string> entries;
    for (std::size_t at = 0; package.size() - at >= 268;) {
        const auto* size = reinterpret_cast<const unsigned char*>(package.data() + at + 264);
        const std::size_t length = 268 + (size[0] | size[1] << 8 | size[2] << 16 | size[3] << 24);
        entries.push_back(package.substr(at, length));
        at += length;
    }
    return entries;
}

std::string Joined(const std::vector<std::string>& entries)
{
    std::string package;
    for (const std::string& entry : entries) package += entry;
    return package;
}

std::string ChangedMessage(const std::string& input)
{
    return "Setup cannot continue: its files were changed or damaged after they were published.\n" + input +
           "\nPlease get the product again from its publisher.";
}

}  // namespace

// The script, the log template and the picture are checked before any dialog: the message, and
// nothing made. A sound one is held open against writing while the installer runs.
TEST_F(Uninstaller, AStampedInstallerRefusesAChangedInputAtStartUp)
{
    const std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_dest));
    // The stamp leaves setup.exe with a PE checksum that the system's own computation agrees with.
    using CheckSumFn = DWORD(WINAPI*)(PCSTR, PDWORD, PDWORD);
    auto checkSum = reinterpret_cast<CheckSumFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("imagehlp.dll"), "MapFileAndCheckSumA")));
    ASSERT_NE(checkSum, nullptr);
    DWORD inHeader = 0, computed = 0;
    ASSERT_EQ(checkSum((setupDir + "setup.exe").c_str(), &inHeader, &computed), 0u);
    EXPECT_NE(inHeader, 0u);
    EXPECT_EQ(inHeader, computed);
    {
        auto setup = std::make_unique<ChildProcess>(setupDir + "setup.exe", "", setupDir);
        HWND dialog = WaitForDialog(kTitle, setup->Id());
        ASSERT_NE(dialog, nullptr) << "a sound setup directory is installed from";
        HANDLE script = CreateFileA((setupDir + "setup.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(script, INVALID_HANDLE_VALUE) << "setup.ini can be changed after its check";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (script != INVALID_HANDLE_VALUE) CloseHandle(script);
        PressCloseBox(dialog);
        ASSERT_TRUE(setup->Ends(kTimeoutMs));
    }
    for (const char* input : {"setup.ini", "uninstall.ini", "face.bmp"}) {
        SCOPED_TRACE(input);
        const std::string path = setupDir + input, original = ReadWholeFile(path);
        std::string changed = original;
        changed[changed.size() / 2] ^= 0x01;
        WriteWholeFile(path, changed);
        auto setup = std::make_unique<ChildProcess>(setupDir + "setup.exe", "", setupDir);
        HWND box = WaitForDialog("setup", setup->Id(), kTimeoutMs);
        ASSERT_NE(box, nullptr) << "no message";
        EXPECT_EQ(MessageBoxText(box), ChangedMessage(input));
        EXPECT_EQ(FindDialogNow(kTitle, setup->Id()), nullptr) << "the message comes before any dialog";
        PressButton(box, IDOK);
        EXPECT_TRUE(setup->Ends(kTimeoutMs));
        EXPECT_FALSE(DirectoryExists(m_dest));
        WriteWholeFile(path, original);
    }
    ExpectNoShortcutsLeft();
}

// A script that the stamp lists as absent is never read, also when one appears after the check:
// a planted setup.ini asking for more space than any disk has changes nothing.
TEST_F(Uninstaller, AnInputTheStampListsAsAbsentIsNotReadWhenItAppears)
{
    const std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_dest));
    ASSERT_TRUE(DeleteFileA((setupDir + "setup.ini").c_str()));
    ASSERT_EQ(RunProgram(Beside("mkpak.exe"), "stamp \"" + setupDir.substr(0, setupDir.size() - 1) + "\""), 0u);
    ChildProcess setup(setupDir + "setup.exe", "", setupDir);
    HWND dialog = WaitForDialog("", setup.Id());
    ASSERT_NE(dialog, nullptr) << "no destination dialog";
    WriteWholeFile(setupDir + "setup.ini", "[main]\r\ntitle=Planted\r\nneedspace=2000000000\r\n");
    SetControlText(dialog, IDC_DEST, m_dest);
    PressButton(dialog, IDOK);
    HWND finish = WaitForDialogWithControl(IDC_LAUNCH, setup.Id(), kTimeoutMs);
    ASSERT_NE(finish, nullptr) << "the planted script was read: " << MessageBoxText(FindDialogNow("Setup", setup.Id()));
    EXPECT_EQ(WindowText(finish), "");
    PressCloseBox(finish);
    EXPECT_TRUE(setup.Ends(kTimeoutMs));
}

// A package entry is checked while its archive is written and before it is decompressed: the
// files before it stay, installed and logged; nothing of it reaches its name; the run ends as an
// incomplete one, with no shortcuts, no count in the log and no finish dialog.
TEST_F(Uninstaller, AStampedInstallerStopsAtTheFirstEntryThatDiffers)
{
    // In package order: bin\game.exe, data\levels\one.dat, empty.txt, readme.txt, uninstall.exe.
    const struct {
        const char* what;
        std::function<void(std::vector<std::string>&)> change;
        const char* named;
        std::vector<std::string> kept;  // the files installed before it
    } cases[] = {
        {"a byte in the middle entry", [](std::vector<std::string>& e) { e[1][e[1].size() / 2] ^= 0x01; },
         "data\\levels\\one.dat", {"bin\\game.exe"}},
        {"an entry added",
         [](std::vector<std::string>& e) {
             e.insert(e.begin() + 2, PackEntry("added.txt", MakeZip({{"added.txt", "not published"}})));
         },
         "added.txt", {"bin\\game.exe", "data\\levels\\one.dat"}},
        {"an entry removed", [](std::vector<std::string>& e) { e.erase(e.begin() + 2); }, "readme.txt",
         {"bin\\game.exe", "data\\levels\\one.dat"}},
        {"two entries swapped", [](std::vector<std::string>& e) { std::swap(e[2], e[3]); }, "readme.txt",
         {"bin\\game.exe", "data\\levels\\one.dat"}},
        {"the package cut short", [](std::vector<std::string>& e) { e[4].resize(e[4].size() - 1000); },
         "uninstall.exe", {"bin\\game.exe", "data\\levels\\one.dat", "empty.txt", "readme.txt"}},
    };
    const std::vector<ProductFile> product = SmallProduct();
    const std::string setupDir = MakeSetupDir(product, Script(m_dest));
    const std::string package = ReadWholeFile(setupDir + "data.pak");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> entries = SplitPackage(package);
        ASSERT_EQ(entries.size(), 5u);
        c.change(entries);
        WriteWholeFile(setupDir + "data.pak", Joined(entries));

        EXPECT_EQ(InstallToABox(setupDir), ChangedMessage(std::string("data.pak: ") + c.named));
        std::set<std::string> expected{"uninstall.ini"}, logged;
        for (const std::string& kept : c.kept) {
            expected.insert(kept);
            logged.insert(m_dest + "\\" + kept);
            for (std::size_t at = kept.find('\\'); at != std::string::npos; at = kept.find('\\', at + 1))
                expected.insert(kept.substr(0, at));
        }
        const Tree left = TreeOf(m_dest);
        const std::vector<std::string> names = Names(left);
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
        for (const ProductFile& file : product) {
            if (std::count(c.kept.begin(), c.kept.end(), file.name) && left.count(file.name)) {
                EXPECT_EQ(left.at(file.name), file.bytes) << file.name;
            }
        }
        for (const std::string& path : LoggedPaths(Log())) logged.erase(path);
        EXPECT_TRUE(logged.empty()) << "not logged: " << testing::PrintToString(logged);
        EXPECT_EQ(FileCount(), -1) << "the log of an incomplete installation has no count";
        ExpectNoShortcutsLeft();
        RemoveTree(m_dest);
    }
}

// A read-only shortcut of the same name in the group is replaced, as the log template is.
TEST_F(Uninstaller, AReadOnlyShortcutInTheWayIsReplaced)
{
    const std::string link = m_programs + "\\Quenthary\\Tools\\Read me.lnk";
    CreateDirectoryA((m_programs + "\\Quenthary").c_str(), nullptr);
    CreateDirectoryA((m_programs + "\\Quenthary\\Tools").c_str(), nullptr);
    WriteWholeFile(link, "an old shortcut");
    ASSERT_TRUE(SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_READONLY));
    InstallSmallProduct();
    EXPECT_NE(ReadWholeFile(link), "an old shortcut");
    EXPECT_FALSE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_READONLY);
    UninstallSaying(Removed());
    ExpectNoShortcutsLeft();
}

// Start-menu and desktop folders whose names the machine's ANSI code page cannot write (a Cyrillic
// user name under code page 1252). The programs built for UTF-8 make the shortcuts there and
// remove them again. Built for the machine's code page, the names read as "?": no shortcut can be
// made, and the installation says so instead of showing the finish dialog; nothing is made under a
// name of question marks, and the uninstaller leaves nothing.
TEST_F(Uninstaller, ShellFoldersTheCodePageCannotWrite)
{
    if (GetACP() != 1252) GTEST_SKIP() << "runs under code page 1252";
    const std::wstring scratch(m_scratch.Path().begin(), m_scratch.Path().end());
    const std::wstring programs = scratch + L"\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b",
                       desktop = scratch + L"\\\u0420\u0430\u0431\u043e\u0447\u0438\u0439 \u0441\u0442\u043e\u043b";
    // The scratch folder's removal goes through the code page, which cannot name these folders:
    // they go first, on every way out (a scratch folder left behind would meet a later run that
    // Wine gives the same process id).
    struct RemovedAtTheEnd {
        std::vector<std::wstring> folders;
        ~RemovedAtTheEnd()
        {
            for (const std::wstring& folder : folders) {
                for (const wchar_t* link : {L"\\Play Quenthary.lnk", L"\\Quenthary\\Play Quenthary.lnk",
                                            L"\\Quenthary\\Tools\\Read me.lnk",
                                            L"\\Quenthary\\Tools\\Uninstall Quenthary.lnk"})
                    DeleteFileW((folder + link).c_str());
                for (const wchar_t* sub : {L"\\Quenthary\\Tools", L"\\Quenthary", L""})
                    RemoveDirectoryW((folder + sub).c_str());
            }
        }
    } removed{{programs, desktop}};
    for (const std::wstring* folder : {&programs, &desktop}) {
        ASSERT_TRUE(CreateDirectoryW(folder->c_str(), nullptr));
        for (const char* key : {kShellFolders, kUserShellFolders}) {
            HKEY h = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
            RegSetValueExW(h, folder == &programs ? L"Programs" : L"Desktop", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(folder->c_str()),
                           static_cast<DWORD>((folder->size() + 1) * sizeof(wchar_t)));
            RegCloseKey(h);
        }
    }
    auto exists = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    auto isEmpty = [](const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
        int names = 0;
        if (h != INVALID_HANDLE_VALUE) {
            do names += wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0;
            while (FindNextFileW(h, &found));
            FindClose(h);
        }
        return names == 0;
    };
    char ansi[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, programs.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);

    for (const char* build : {"", "system"}) {
        SCOPED_TRACE(*build ? "built for the machine's code page" : "built for UTF-8");
        const std::string setupDir = MakeSetupDir(SmallProduct(), Script(m_dest), "", build);
        if (*build) {
            EXPECT_EQ(InstallToABox(setupDir),
                      std::string("Installation incomplete! 6 shortcut(s) could not be made, the first:\n") + ansi +
                          "\\Quenthary");
            for (const std::string& path : LoggedPaths(Log())) EXPECT_EQ(path.find('?'), std::string::npos) << path;
        } else {
            Install(setupDir, m_dest);
            EXPECT_TRUE(exists(programs + L"\\Quenthary\\Play Quenthary.lnk"));
            EXPECT_TRUE(exists(programs + L"\\Quenthary\\Tools\\Read me.lnk"));
            EXPECT_TRUE(exists(programs + L"\\Quenthary\\Tools\\Uninstall Quenthary.lnk"));
            EXPECT_TRUE(exists(desktop + L"\\Play Quenthary.lnk"));
        }
        UninstallSaying(Removed());
        EXPECT_FALSE(DirectoryExists(m_dest));
        EXPECT_TRUE(isEmpty(programs));
        EXPECT_TRUE(isEmpty(desktop));
        RemoveTree(m_scratch / "setup");
    }
}

// The Unix path of a Windows path (Wine's own export), and a symbolic link made there: Wine shows
// it as a reparse point, and cannot make one itself.
std::string UnixPath(const std::string& path)
{
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    std::wstring wide(path.begin(), path.end());
    char* unix = toUnix(wide.c_str());
    if (!unix) return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool MakeSymbolicLink(const std::string& target, const std::string& link)
{
    RunProgram("Z:\\bin\\ln", "-s \"" + UnixPath(target) + "\" \"" + UnixPath(link) + "\"");
    return WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

// Removes the link itself (Wine's own deletion would remove what it points at).
void RemoveSymbolicLink(const std::string& link)
{
    RunProgram("Z:\\bin\\rm", "-f \"" + UnixPath(link) + "\"");
    WaitUntil([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000);
}

// A folder of the destination replaced by a link to a folder elsewhere: the file of the product's
// name behind it is left alone, counted and named. The same in the Start menu, where the group's
// sub-folder, a logged entry itself, is a link: neither it nor anything behind it is touched.
TEST_F(Uninstaller, LinksAreNeverFollowed)
{
    if (UnixPath(m_dest).empty()) GTEST_SKIP() << "needs Wine's Unix paths";
    InstallSmallProduct();
    const std::string outside = m_scratch / "outside", tools = m_scratch / "tools";
    for (const std::string& folder : {outside, tools}) CreateDirectoryA(folder.c_str(), nullptr);
    WriteWholeFile(outside + "\\one.dat", "the user's own");
    WriteWholeFile(tools + "\\Read me.lnk", "the user's own file");
    const std::string levels = m_dest + "\\data\\levels", group = m_programs + "\\Quenthary\\Tools";
    RemoveTree(levels);
    RemoveTree(group);
    ASSERT_TRUE(MakeSymbolicLink(outside, levels));
    ASSERT_TRUE(MakeSymbolicLink(tools, group));
    ASSERT_TRUE(GetFileAttributesA(levels.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    UninstallSaying(RemovedExcept(4, levels + "\\one.dat"));  // and Tools with its two shortcuts
    EXPECT_EQ(ReadWholeFile(outside + "\\one.dat"), "the user's own");
    EXPECT_EQ(ReadWholeFile(tools + "\\Read me.lnk"), "the user's own file");
    EXPECT_FALSE(FileExists(m_programs + "\\Quenthary\\Play Quenthary.lnk"));
    EXPECT_EQ(Names(TreeOf(m_desktop)), std::vector<std::string>());
    for (const std::string& link : {levels, group}) RemoveSymbolicLink(link);
}

std::string EntryValue(const char* name)
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenthary", name,
                     RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS)
        return value;
    DWORD number = 0;
    size = sizeof number;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenthary", name,
                     RRF_RT_REG_DWORD, nullptr, &number, &size) == ERROR_SUCCESS)
        return std::to_string(number);
    return "(none)";
}

// The product is in Apps & features from its installation to its removal. The same product
// installed elsewhere again takes the entry over, so the older copy's removal leaves it; a log
// edited to name another key removes nothing there and says so.
TEST_F(Uninstaller, TheProductIsListedInAppsAndFeaturesUntilItIsRemoved)
{
    const char kListed[] = "Quenthary|||Quenthary";
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenthary");
    const std::string older = m_dest;
    SYSTEMTIME before;
    GetLocalTime(&before);
    InstallSmallProduct();
    ULONGLONG bytes = 0;
    for (const auto& entry : TreeOf(m_dest))
        if (entry.second != "<dir>" && entry.first != "uninstall.ini") bytes += entry.second.size();
    EXPECT_NE(AppsAndFeaturesList().find(kListed), std::string::npos) << AppsAndFeaturesList();
    SYSTEMTIME after;
    GetLocalTime(&after);
    char date[16], dateAfter[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", before.wYear, before.wMonth, before.wDay);
    std::snprintf(dateAfter, sizeof dateAfter, "%04u%02u%02u", after.wYear, after.wMonth, after.wDay);
    if (EntryValue("InstallDate") == dateAfter) std::snprintf(date, sizeof date, "%s", dateAfter);  // past midnight
    const std::pair<const char*, std::string> values[] = {
        {"DisplayName", "Quenthary"},
        {"UninstallString", "\"" + older + "\\uninstall.exe\""},
        {"DisplayIcon", older + "\\uninstall.exe,0"},
        {"InstallLocation", older},
        {"InstallDate", date},
        {"NoModify", "1"},
        {"NoRepair", "1"},
    };
    for (const auto& value : values) EXPECT_EQ(EntryValue(value.first), value.second) << value.first;
    EXPECT_NE(EntryValue("DisplayVersion"), "(none)");
    EXPECT_EQ(EntryValue("EstimatedSize"), std::to_string((bytes + 1023) / 1024)) << "KiB installed";

    m_dest = m_games + "\\Second\\Quenthary";
    Install(MakeSetupDir(SmallProduct(), Script(m_dest)), m_dest);
    EXPECT_EQ(EntryValue("UninstallString"), "\"" + m_dest + "\\uninstall.exe\"");
    const std::string newer = m_dest;
    m_dest = older;
    UninstallSaying(Removed());
    EXPECT_NE(AppsAndFeaturesList().find(kListed), std::string::npos) << "the newer copy's entry stays";
    EXPECT_EQ(EntryValue("UninstallString"), "\"" + newer + "\\uninstall.exe\"");

    m_dest = newer;
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    WritePrivateProfileStringA("registry", "uninstallkey", run.c_str(), Log().c_str());
    UninstallSaying(RemovedExcept(1, "HKEY_CURRENT_USER\\" + run));
    EXPECT_NE(AppsAndFeaturesList().find(kListed), std::string::npos);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, run.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    if (key) RegCloseKey(key);

    Install(MakeSetupDir(SmallProduct(), Script(m_dest)), m_dest);
    UninstallSaying(Removed());
    EXPECT_EQ(AppsAndFeaturesList().find(kListed), std::string::npos) << AppsAndFeaturesList();
    ExpectNoShortcutsLeft();
}

}  // namespace

// --- A signed setup directory ---------------------------------------------------------------------

namespace {

// Runs a shell script natively, as the vendor's pipeline does. Wine starts a Unix program without
// a handle to wait on or an exit status, so the script leaves its status in a file; the status,
// -1 when it did not end in time, with its output in `output`.
int RunNativeScript(const std::string& folder, const std::string& body, std::string& output)
{
    WriteWholeFile(folder + "\\run.sh", "(\n" + body + "\n) > out 2>&1\necho $? > status.new\nmv status.new status\n");
    DeleteFileA((folder + "\\status").c_str());
    const std::string script = UnixPath(folder + "\\run.sh"), dir = UnixPath(folder);
    RunProgram("Z:\\bin\\sh", "-c \"cd '" + dir + "' && sh '" + script + "'\"");
    const bool ended = WaitUntil([&] { return FileExists(folder + "\\status"); }, 120000);
    output = ReadWholeFile(folder + "\\out");
    return ended ? std::stoi(ReadWholeFile(folder + "\\status")) : -1;
}

// What WinVerifyTrust says of a file's Authenticode signature, the chain's revocation not asked.
LONG VerifyTrust(const std::string& path)
{
    using VerifyFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
    auto verify = reinterpret_cast<VerifyFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("wintrust.dll"), "WinVerifyTrust")));
    if (!verify) return -1;
    std::wstring wide(path.begin(), path.end());
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = wide.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = verify(nullptr, &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(nullptr, &action, &data);
    return result;
}

// Puts a DER certificate into the machine's trusted roots of the test's prefix.
bool TrustRoot(const std::string& der)
{
    using OpenFn = HCERTSTORE(WINAPI*)(LPCSTR, DWORD, HCRYPTPROV_LEGACY, DWORD, const void*);
    using AddFn = BOOL(WINAPI*)(HCERTSTORE, DWORD, const BYTE*, DWORD, DWORD, PCCERT_CONTEXT*);
    using CloseFn = BOOL(WINAPI*)(HCERTSTORE, DWORD);
    HMODULE crypt32 = LoadLibraryA("crypt32.dll");
    auto open = reinterpret_cast<OpenFn>(reinterpret_cast<void*>(GetProcAddress(crypt32, "CertOpenStore")));
    auto add = reinterpret_cast<AddFn>(
        reinterpret_cast<void*>(GetProcAddress(crypt32, "CertAddEncodedCertificateToStore")));
    auto close = reinterpret_cast<CloseFn>(reinterpret_cast<void*>(GetProcAddress(crypt32, "CertCloseStore")));
    if (!open || !add || !close) return false;
    HCERTSTORE store = open(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!store) return false;
    const BOOL added = add(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                           static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    close(store, 0);
    return added != FALSE;
}

}  // namespace

// The vendor's pipeline on Debian: a code-signing certificate made for the test, mkpak build
// --sign with osslsigncode. setup.exe and the uninstaller it installs verify with osslsigncode and
// with WinVerifyTrust, and no longer with one byte changed; the stamped, signed setup.exe finds
// its stamp behind the signature and installs.
TEST_F(Uninstaller, ASignedSetupDirectoryInstallsAndBothProgramsVerify)
{
    const std::string product = m_scratch / "product";
    CreateDirectoryA(product.c_str(), nullptr);
    for (const ProductFile& f : SmallProduct()) {
        for (std::size_t slash = f.name.find('\\'); slash != std::string::npos; slash = f.name.find('\\', slash + 1))
            CreateDirectoryA((product + "\\" + f.name.substr(0, slash)).c_str(), nullptr);
        WriteWholeFile(product + "\\" + f.name, f.bytes);
    }
    WriteWholeFile(m_scratch / "script.ini", Script(m_dest));
    WriteWholeFile(m_scratch / "leaf.ext",
                   "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n");
    const std::string pipeline =
        "set -e\n"
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 -subj /CN=Test-Root "
        "-addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign\n"
        "openssl req -newkey rsa:2048 -nodes -keyout vendor.key -out vendor.csr -subj /CN=Test-Vendor\n"
        "openssl x509 -req -in vendor.csr -CA root.pem -CAkey root.key -CAcreateserial -days 2 -extfile leaf.ext "
        "-out vendor.pem\n"
        "openssl pkcs12 -export -inkey vendor.key -in vendor.pem -certfile root.pem -passout pass:test -out vendor.p12\n"
        "openssl x509 -in root.pem -outform der -out root.der\n"
        "'" MKPAK_NATIVE_EXE "' build -q --complete --uninstaller --script script.ini --setup-exe '" +
        UnixPath(Beside("setup.exe")) + "' --uninstall-exe '" + UnixPath(Beside("uninstall.exe")) +
        "' --sign 'osslsigncode sign -pkcs12 vendor.p12 -pass test -in {in} -out {out}' product setup\n"
        "'" MKPAK_NATIVE_EXE "' verify setup\n"
        "osslsigncode verify -CAfile root.pem -in setup/setup.exe\n";
    std::string output;
    ASSERT_EQ(RunNativeScript(m_scratch.Path(), pipeline, output), 0) << output;
    ASSERT_TRUE(TrustRoot(ReadWholeFile(m_scratch / "root.der")));

    const std::string setupDir = m_scratch / "setup\\";
    EXPECT_EQ(VerifyTrust(setupDir + "setup.exe"), 0);
    Install(setupDir, m_dest);
    EXPECT_EQ(VerifyTrust(m_dest + "\\uninstall.exe"), 0);
    const std::string installed = UnixPath(m_dest + "\\uninstall.exe");
    EXPECT_EQ(RunNativeScript(m_scratch.Path(), "osslsigncode verify -CAfile root.pem -in '" + installed + "'", output), 0)
        << output;

    // One byte changed after signing: in the code of setup.exe, in the uninstaller's last bytes.
    for (const auto& [program, at] : {std::pair<std::string, long>{setupDir + "setup.exe", 0x2000},
                                      std::pair<std::string, long>{m_dest + "\\uninstall.exe", -100000}}) {
        SCOPED_TRACE(program);
        std::string bytes = ReadWholeFile(program);
        bytes[at >= 0 ? at : bytes.size() + at] ^= 0x01;
        const std::string changed = m_scratch / "changed.exe";
        WriteWholeFile(changed, bytes);
        EXPECT_NE(VerifyTrust(changed), 0);
        EXPECT_NE(RunNativeScript(m_scratch.Path(), "osslsigncode verify -CAfile root.pem -in changed.exe", output), 0)
            << output;
    }
    UninstallSaying(Removed());

    // Signed, setup.exe still checks its inputs against the stamp behind the signature.
    WriteWholeFile(setupDir + "setup.ini", ReadWholeFile(setupDir + "setup.ini") + "launch=elsewhere.exe\r\n");
    ChildProcess setup(setupDir + "setup.exe", "", setupDir);
    HWND box = WaitForDialog("setup", setup.Id(), kTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), ChangedMessage("setup.ini"));
    PressButton(box, IDOK);
    EXPECT_TRUE(setup.Ends(kTimeoutMs));
}
