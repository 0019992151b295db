// The folder browser against the real shell dialog: Browse runs on the test thread while a driver
// thread finds the dialog, reads its controls, moves the selection and presses its buttons.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "folder_browser.h"
#include "dialog_driver.h"
#include "test_support.h"

static_assert(std::is_abstract_v<CFolderBrowser>, "only subclasses of CFolderBrowser can be made");

namespace {

// Control ids of the shell's browse dialog (the same on Windows and Wine).
constexpr int kIdTree = 0x3741;
constexpr int kIdTitle = 0x3742;
constexpr int kIdStatus = 0x3743;
constexpr DWORD kTimeoutMs = 20000;
constexpr char kTitle[] = "Please select a folder";  // string 1 of folder_browser_test.rc

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Wine's shell matches a path given to BFFM_SETSELECTIONA against the folder tree byte for byte,
// last-access date included, so a folder whose access time moves after the tree was built can no
// longer be selected by path. A folder's access time moves on its first read after a change to it
// (Linux's relatime) and then stays: reading the folder and every folder above it once beforehand
// (making a folder changes its parent) keeps them selectable.
void SettleAccessTime(const std::string& folder)
{
    for (std::size_t end = folder.find('\\'); ; end = folder.find('\\', end + 1)) {
        std::string level = folder.substr(0, end);
        WIN32_FIND_DATAA data;
        HANDLE hFind = FindFirstFileA((level + "\\*").c_str(), &data);
        if (hFind != INVALID_HANDLE_VALUE) {
            while (FindNextFileA(hFind, &data)) {
            }
            FindClose(hFind);
        }
        if (end == std::string::npos) break;
    }
}

bool WaitFor(const std::function<bool()>& done, DWORD ms = kTimeoutMs)
{
    return WaitUntil(done, ms);
}

[[noreturn]] void Abandon(const char* why)
{
    std::fprintf(stderr, "folder browser test abandoned: %s\n", why);
    std::fflush(stderr);
    ExitProcess(3);
}

// Every BFFM_SETSELECTIONA and BFFM_SETSTATUSTEXTA that reaches a window of the test thread,
// seen through a WH_CALLWNDPROC hook while the object exists.
class SentMessages {
public:
    struct Message {
        HWND hwnd;
        UINT msg;
        WPARAM wParam;
        std::string text;  // the string lParam; empty for an ID list
    };

    SentMessages() { s_hook = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId()); }
    ~SentMessages() { UnhookWindowsHookEx(s_hook); Clear(); }
    bool Installed() const { return s_hook != nullptr; }

    std::vector<Message> Get() const { std::lock_guard<std::mutex> lock(s_mutex); return s_log; }
    void Clear() { std::lock_guard<std::mutex> lock(s_mutex); s_log.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION &&
            (cwp->message == BFFM_SETSELECTIONA || cwp->message == BFFM_SETSTATUSTEXTA)) {
            bool bString = cwp->message == BFFM_SETSTATUSTEXTA || cwp->wParam;
            std::lock_guard<std::mutex> lock(s_mutex);
            s_log.push_back({cwp->hwnd, cwp->message, cwp->wParam,
                             bString && cwp->lParam ? reinterpret_cast<LPCSTR>(cwp->lParam) : ""});
        }
        return CallNextHookEx(s_hook, code, wParam, lParam);
    }

    static inline HHOOK s_hook = nullptr;
    static inline std::mutex s_mutex;
    static inline std::vector<Message> s_log;
};

// CFolderBrowserEx with its notifications recorded, and room for a test's own action inside
// OnInitialized.
class CProbeBrowser : public CFolderBrowserEx {
public:
    using CFolderBrowserEx::CFolderBrowserEx;

    std::atomic<HWND> hDialogAtInit{nullptr};
    std::atomic<int> nInitialized{0};
    std::function<void(CProbeBrowser&)> duringInit;

    HWND DialogWindow() const { return m_hDialog; }
    const BROWSEINFOA& Info() const { return m_bi; }
    void AnnounceSelectionWithoutItem() { CFolderBrowserEx::OnSelChanged(nullptr); }
    std::string LastSelection() const { std::lock_guard<std::mutex> lock(m_mutex); return m_lastSelection; }

protected:
    void OnInitialized() override
    {
        hDialogAtInit = m_hDialog;
        CFolderBrowserEx::OnInitialized();
        if (duringInit) duringInit(*this);
        ++nInitialized;
    }
    void OnSelChanged(LPCITEMIDLIST pidlItem) override
    {
        char path[MAX_PATH] = "";
        if (pidlItem) SHGetPathFromIDListA(pidlItem, path);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lastSelection = path;
        }
        CFolderBrowserEx::OnSelChanged(pidlItem);
    }

private:
    mutable std::mutex m_mutex;
    std::string m_lastSelection;
};

// The open browse dialog, driven from the driver thread. Every cross-thread call has a timeout,
// so a stuck dialog fails the test instead of hanging it.
class DialogDriver {
public:
    explicit DialogDriver(HWND hwnd) : m_hwnd(hwnd) {}
    HWND Window() const { return m_hwnd; }

    std::string Text(int id) const
    {
        char text[1024] = "";
        DWORD_PTR result = 0;
        SendMessageTimeoutA(GetDlgItem(m_hwnd, id), WM_GETTEXT, sizeof text,
                            reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kTimeoutMs, &result);
        return text;
    }
    std::string Status() const { return Text(kIdStatus); }
    bool StatusBecomes(const std::string& expected) const
    {
        return WaitFor([&] { return SamePath(Status(), expected); });
    }

    // The result is no evidence: Wine's dialog answers 0 to BFFM_SETSELECTIONA whether or not the
    // selection moved, so tests watch the status line and the notifications instead.
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(m_hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result))
            ADD_FAILURE() << "the dialog did not answer message " << msg;
        return static_cast<LRESULT>(result);
    }
    void Select(const std::string& path) const
    {
        Send(BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    }
    void Press(int id) const { PostMessageA(GetDlgItem(m_hwnd, id), BM_CLICK, 0, 0); }

private:
    HWND m_hwnd;
};

struct FindDialog {
    HWND hwnd = nullptr;
    static BOOL CALLBACK Each(HWND hwnd, LPARAM lParam)
    {
        char cls[32] = "";
        GetClassNameA(hwnd, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, kIdTree))
            return TRUE;
        reinterpret_cast<FindDialog*>(lParam)->hwnd = hwnd;
        return FALSE;
    }
};

// Runs browser.Browse() on this thread while `drive` runs against the open dialog on a driver
// thread, and returns Browse's result. A script that leaves the dialog open fails and has it
// cancelled; a dialog that never appears or never ends abandons the test program.
bool BrowseWhile(CFolderBrowser& browser, const std::function<void(const DialogDriver&)>& drive)
{
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> bReturned{false};
    std::thread driver([&] {
        FindDialog found;
        if (!WaitFor([&] {
                EnumThreadWindows(uiThread, FindDialog::Each, reinterpret_cast<LPARAM>(&found));
                return found.hwnd || bReturned;
            }))
            Abandon("the browse dialog did not appear");
        if (!found.hwnd) {
            ADD_FAILURE() << "Browse returned without showing the dialog";
            return;
        }
        DialogDriver dialog(found.hwnd);
        drive(dialog);
        if (!WaitFor([&] { return bReturned.load(); }, 5000)) {
            ADD_FAILURE() << "the test left the browse dialog open; cancelling it";
            PostMessageA(found.hwnd, WM_COMMAND, IDCANCEL, 0);
            if (!WaitFor([&] { return bReturned.load(); })) Abandon("the browse dialog does not end");
        }
    });
    bool bResult = browser.Browse();
    bReturned = true;
    driver.join();
    return bResult;
}

class FolderBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hOwner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_hOwner, nullptr);
        ASSERT_TRUE(m_sent.Installed());
    }
    void TearDown() override { DestroyWindow(m_hOwner); }

    // The installer's own settings.
    void UseDestinationSettings(CProbeBrowser& browser, const char* initial = "c:\\")
    {
        browser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
        browser.SetInitialFolder(initial);
    }

    HWND m_hOwner = nullptr;
    SentMessages m_sent;
};

}  // namespace

TEST_F(FolderBrowserTest, OpensOnTheInitialFolderWithItsPathAsStatusAndOkReturnsIt)
{
    CProbeBrowser browser(m_hOwner, 1);
    UseDestinationSettings(browser);

    bool bChosen = BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized > 0; }));
        EXPECT_EQ(browser.hDialogAtInit.load(), dialog.Window());
        EXPECT_EQ(GetWindow(dialog.Window(), GW_OWNER), m_hOwner);
        EXPECT_EQ(dialog.Text(kIdTitle), kTitle);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog.Window(), kIdStatus)));

        // The selection, then the status text, both with the initial folder as typed. Selecting
        // makes the shell announce the drive, whose path the status shows first ("C:\").
        auto sent = m_sent.Get();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent.front().hwnd, dialog.Window());
        EXPECT_EQ(sent.front().msg, static_cast<UINT>(BFFM_SETSELECTIONA));
        EXPECT_EQ(sent.front().wParam, static_cast<WPARAM>(TRUE));
        EXPECT_EQ(sent.front().text, "c:\\");
        EXPECT_EQ(sent.back().msg, static_cast<UINT>(BFFM_SETSTATUSTEXTA));
        EXPECT_EQ(sent.back().wParam, 0u);
        EXPECT_EQ(sent.back().text, "c:\\");
        EXPECT_EQ(dialog.Status(), "c:\\");
        EXPECT_TRUE(SamePath(browser.LastSelection(), "C:\\")) << browser.LastSelection();

        dialog.Press(IDOK);
    });
    EXPECT_TRUE(bChosen);
    EXPECT_TRUE(SamePath(std::string(browser.GetPath()), "C:\\")) << browser.GetPath();
    EXPECT_EQ(browser.DialogWindow(), nullptr);
}

TEST_F(FolderBrowserTest, CancelKeepsThePathAndASecondBrowseFollowsTheSelection)
{
    ScratchDir scratch;
    std::string target = scratch / "chosen";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    SettleAccessTime(scratch.Path());
    SettleAccessTime(target);
    CProbeBrowser browser(m_hOwner, 1);
    UseDestinationSettings(browser, scratch.Path().c_str());

    EXPECT_FALSE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == 1; }));
        EXPECT_EQ(dialog.Status(), scratch.Path());
        dialog.Press(IDCANCEL);
    }));
    EXPECT_EQ(browser.GetPath(), "");
    EXPECT_EQ(browser.DialogWindow(), nullptr);

    EXPECT_TRUE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == 2; }));
        EXPECT_EQ(browser.hDialogAtInit.load(), dialog.Window());
        EXPECT_EQ(dialog.Text(kIdTitle), kTitle);
        EXPECT_TRUE(SamePath(browser.LastSelection(), scratch.Path())) << browser.LastSelection();
        dialog.Select(target);
        EXPECT_TRUE(dialog.StatusBecomes(target)) << "status: " << dialog.Status();
        dialog.Press(IDOK);
    }));
    EXPECT_TRUE(SamePath(std::string(browser.GetPath()), target)) << browser.GetPath();
    EXPECT_EQ(browser.DialogWindow(), nullptr);

    // Cancelling leaves the last chosen path.
    EXPECT_FALSE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == 3; }));
        dialog.Press(IDCANCEL);
    }));
    EXPECT_TRUE(SamePath(std::string(browser.GetPath()), target)) << browser.GetPath();
    EXPECT_EQ(browser.DialogWindow(), nullptr);
}

TEST_F(FolderBrowserTest, ItemWithoutFileSystemPathGivesEmptyStatusAndNoPath)
{
    LPITEMIDLIST pidlComputer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidlComputer), S_OK);
    CProbeBrowser browser(m_hOwner, 1);
    browser.SetFlags(BIF_STATUSTEXT);  // lets the user confirm a virtual folder
    browser.SetInitialFolder("c:\\");
    browser.duringInit = [](CProbeBrowser& self) { self.AnnounceSelectionWithoutItem(); };

    EXPECT_TRUE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == 1; }));
        EXPECT_EQ(dialog.Status(), "") << "a selection with no ID list has no path";
        dialog.Press(IDOK);
    }));
    EXPECT_TRUE(SamePath(std::string(browser.GetPath()), "C:\\")) << browser.GetPath();

    EXPECT_FALSE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == 2; }));
        dialog.Send(BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(pidlComputer));
        ASSERT_TRUE(WaitFor([&] { return browser.LastSelection().empty(); }))
            << "the selection did not move to My Computer";
        EXPECT_EQ(dialog.Status(), "");
        dialog.Press(IDOK);
    }));
    EXPECT_EQ(browser.GetPath(), "");
    EXPECT_EQ(browser.DialogWindow(), nullptr);
    CoTaskMemFree(pidlComputer);
}

TEST_F(FolderBrowserTest, SettersChangeNothingWhileTheDialogIsOpen)
{
    HWND hOther = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    LPITEMIDLIST pidlComputer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidlComputer), S_OK);
    CProbeBrowser browser(m_hOwner, 1);
    UseDestinationSettings(browser);
    const BROWSEINFOA before = browser.Info();
    bool bNestedBrowse = true;
    browser.duringInit = [&](CProbeBrowser& self) {
        self.SetFlags(BIF_BROWSEINCLUDEFILES);
        self.SetOwner(hOther);
        self.SetRoot(pidlComputer);
        self.SetTitle("Changed");
        self.SetTitle(2u);
        bNestedBrowse = self.Browse();
    };

    for (int run = 1; run <= 2; ++run) {
        EXPECT_FALSE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
            ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == run; }));
            EXPECT_EQ(dialog.Text(kIdTitle), kTitle) << "run " << run;
            EXPECT_EQ(GetWindow(dialog.Window(), GW_OWNER), m_hOwner) << "run " << run;
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog.Window(), kIdStatus))) << "run " << run;
            dialog.Press(IDCANCEL);
        }));
        EXPECT_FALSE(bNestedBrowse) << "a Browse from inside the open dialog must not run";
        const BROWSEINFOA& after = browser.Info();
        EXPECT_EQ(after.hwndOwner, before.hwndOwner);
        EXPECT_EQ(after.pidlRoot, before.pidlRoot);
        EXPECT_EQ(after.ulFlags, before.ulFlags);
        EXPECT_EQ(after.lpszTitle, before.lpszTitle);
        EXPECT_STREQ(after.lpszTitle, kTitle);
    }

    // Closed again, the setters take effect.
    browser.SetTitle("Changed");
    browser.SetFlags(0);
    EXPECT_STREQ(browser.Info().lpszTitle, "Changed");
    EXPECT_EQ(browser.Info().ulFlags, 0u);
    DestroyWindow(hOther);
    CoTaskMemFree(pidlComputer);
}

TEST_F(FolderBrowserTest, SelectionAndStatusReachNoWindowWhileClosed)
{
    CProbeBrowser browser(m_hOwner, 1);
    UseDestinationSettings(browser);
    browser.SetSelection("c:\\");
    browser.SetStatusText("before");
    EXPECT_TRUE(m_sent.Get().empty());

    EXPECT_FALSE(BrowseWhile(browser, [&](const DialogDriver& dialog) {
        ASSERT_TRUE(WaitFor([&] { return browser.nInitialized == 1; }));
        dialog.Press(IDCANCEL);
    }));
    EXPECT_FALSE(m_sent.Get().empty()) << "the hook saw nothing while the dialog was open";

    m_sent.Clear();
    EXPECT_EQ(browser.DialogWindow(), nullptr);
    browser.SetSelection("c:\\");
    browser.SetStatusText("after");
    EXPECT_TRUE(m_sent.Get().empty());
}

TEST(FolderBrowserTitle, ComesFromTheStringTableOrStaysAsItWas)
{
    CProbeBrowser untitled(nullptr, 0);
    EXPECT_EQ(untitled.Info().lpszTitle, nullptr);
    EXPECT_EQ(untitled.Info().ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));
    EXPECT_EQ(untitled.Info().pidlRoot, nullptr);

    CProbeBrowser browser(nullptr, 1);
    EXPECT_STREQ(browser.Info().lpszTitle, kTitle);
    EXPECT_TRUE(browser.SetTitle(2u));
    EXPECT_STREQ(browser.Info().lpszTitle, "Another title");
    EXPECT_FALSE(browser.SetTitle(0u));
    EXPECT_FALSE(browser.SetTitle(77u)) << "no string 77 in the test's resources";
    EXPECT_FALSE(browser.SetTitle(0x10001u)) << "an id beyond 16 bits must not alias string 1";
    EXPECT_STREQ(browser.Info().lpszTitle, "Another title");

    // The object keeps its own copy of a text title.
    char text[] = "Pick one";
    browser.SetTitle(text);
    text[0] = 'X';
    EXPECT_STREQ(browser.Info().lpszTitle, "Pick one");
    browser.SetTitle(static_cast<LPCSTR>(nullptr));
    EXPECT_EQ(browser.Info().lpszTitle, nullptr);
}
