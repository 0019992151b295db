// The framework's dialogs under a real dialog manager: a test dialog runs modally on the test
// thread while a driver thread works its controls.
#include "afxwin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "afx_test_res.h"
#include "dialog_driver.h"
#include "test_support.h"

namespace {

const UINT ID_TEST_COMMAND = 0x7001;

class CTestApp : public CWinApp {
public:
    int m_nInitInstance = 0;
    int m_nTestCommand = 0;

    BOOL InitInstance() override { ++m_nInitInstance; return FALSE; }

protected:
    void OnTestCommand() { ++m_nTestCommand; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
    ON_COMMAND(ID_TEST_COMMAND, OnTestCommand)
END_MESSAGE_MAP()

CTestApp theTestApp;

// The base holds one handler that the derived class overrides and one that it inherits.
class CBaseTestDlg : public CDialog {
public:
    CBaseTestDlg() : CDialog(IDD_AFX_TEST) {}
    std::atomic<int> m_nBaseClicks{0};
    std::atomic<int> m_nChanges{0};

protected:
    void OnBaseButton() { ++m_nBaseClicks; }
    void OnChangeEdit() { ++m_nChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestDlg, CDialog)
    ON_BN_CLICKED(IDC_TEST_BUTTON, OnBaseButton)
    ON_EN_CHANGE(IDC_TEST_EDIT, OnChangeEdit)
END_MESSAGE_MAP()

class CTestDlg : public CBaseTestDlg {
public:
    CString m_strText;
    CProgressCtrl m_progress;
    bool m_bRequireText = false;     // saving fails while the edit is empty
    bool m_bKeepOpenOnCancel = false;
    std::atomic<bool> m_bOwnPaint{false};
    std::atomic<bool> m_bOwnDefId{false};
    HICON m_hDragIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION

    std::atomic<int> m_nClicks{0}, m_nOK{0}, m_nCancel{0}, m_nPaint{0}, m_nDestroy{0};
    std::atomic<bool> m_bDrew{false};
    std::atomic<bool> m_bDirtyAfterPaint{true};  // an update region was left after the last paint
    HWND m_hWndInDestroy = nullptr;
    int m_nChangesAtInit = -1;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_TEST_PROGRESS, m_progress);
        DDX_Text(pDX, IDC_TEST_EDIT, m_strText);
        if (pDX->m_bSaveAndValidate && m_bRequireText && m_strText.IsEmpty()) pDX->Fail();
    }
    BOOL OnInitDialog() override
    {
        BOOL result = CDialog::OnInitDialog();
        m_nChangesAtInit = m_nChanges;
        return result;
    }
    void OnOK() override { ++m_nOK; CDialog::OnOK(); }
    void OnCancel() override
    {
        ++m_nCancel;
        if (!m_bKeepOpenOnCancel) CDialog::OnCancel();
    }
    void OnButton() { ++m_nClicks; }
    void OnPaint()
    {
        ++m_nPaint;
        if (m_bOwnPaint) {
            CPaintDC dc(this);
            m_bDrew = dc.m_hDC && dc.DrawIcon(0, 0, m_hDragIcon);
        } else {
            CDialog::OnPaint();
        }
        m_bDirtyAfterPaint = ::GetUpdateRect(m_hWnd, nullptr, FALSE) != FALSE;
    }
    HCURSOR OnQueryDragIcon() { return m_hDragIcon; }
    // Its parameters and result as they come; an lParam of 1 leaves it to the dialog manager,
    // 2 throws.
    LRESULT OnTestMessage(WPARAM wParam, LPARAM lParam)
    {
        if (lParam == 1) return Default();
        if (lParam == 2) throw std::runtime_error("from a handler");
        return static_cast<LRESULT>(wParam) * 2 + lParam;
    }
    // DM_GETDEFID answered by the dialog manager (the default button) unless taken over.
    LRESULT OnGetDefId(WPARAM, LPARAM) { return m_bOwnDefId ? MAKELRESULT(IDCANCEL, DC_HASDEFID) : Default(); }
    void OnDestroy()
    {
        m_hWndInDestroy = GetSafeHwnd();
        CDialog::OnDestroy();
        ++m_nDestroy;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CBaseTestDlg)
    ON_MESSAGE(WM_APP + 7, OnTestMessage)
    ON_MESSAGE(DM_GETDEFID, OnGetDefId)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_TEST_BUTTON, OnButton)
END_MESSAGE_MAP()

// Dialog tests start the way the installer does: through the framework's entry.
class Dialog : public ::testing::Test {
protected:
    void SetUp() override { AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW); }

    DrivenRun Run(CTestDlg& dlg, const std::function<void(HWND)>& drive)
    {
        return RunDriven([&] { return dlg.DoModal(); }, drive);
    }
};

void Command(HWND hDlg, int id)
{
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
}

void Key(HWND hDlg, int idFocus, WPARAM vk)
{
    // Keys go through the modal loop's IsDialogMessage, so they are posted, not sent.
    PostMessageA(GetDlgItem(hDlg, idFocus), WM_KEYDOWN, vk, 1);
}

// The quit message that a run ended by WM_QUIT posted again; false when there is none.
bool TakeQuitMessage(WPARAM* exitCode)
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    *exitCode = msg.wParam;
    return true;
}

TEST_F(Dialog, TextIsExchangedBothWaysAndControlsAreBound)
{
    CTestDlg dlg;
    dlg.m_strText = "initial";
    // Longer than any fixed buffer of the exchange would be.
    const std::string longText = std::string(3000, 'x') + "end";
    std::string shown;
    HWND hProgressItem = nullptr;
    LRESULT upper = 0, pos = 0;
    DrivenRun run = Run(dlg, [&](HWND hDlg) {
        shown = WindowText(GetDlgItem(hDlg, IDC_TEST_EDIT));
        hProgressItem = GetDlgItem(hDlg, IDC_TEST_PROGRESS);
        // The bar's bounds are unsigned 16-bit: 40000 does not come back negative.
        dlg.m_progress.SetRange(0, static_cast<short>(40000));
        dlg.m_progress.SetStep(1);
        dlg.m_progress.SetPos(0);
        for (int i = 0; i < 3; ++i) dlg.m_progress.StepIt();
        upper = dlg.m_progress.SendMessage(PBM_GETRANGE, FALSE);
        pos = dlg.m_progress.SendMessage(PBM_GETPOS);
        SetWindowTextA(GetDlgItem(hDlg, IDC_TEST_EDIT), longText.c_str());
        SendMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(run.bFound) << "the dialog never appeared";
    EXPECT_TRUE(run.bEnded);
    EXPECT_EQ(IDOK, run.result);
    EXPECT_EQ("initial", shown);
    EXPECT_EQ(longText, std::string(dlg.m_strText));
    EXPECT_NE(nullptr, hProgressItem);
    EXPECT_EQ(hProgressItem, dlg.m_progress.m_hWnd);
    EXPECT_EQ(40000, upper);
    EXPECT_EQ(3, pos);
}

TEST_F(Dialog, OkIsRefusedWhileTheExchangeFailsAndEnterRetries)
{
    CTestDlg dlg;
    dlg.m_bRequireText = true;
    bool visibleAfterRefusal = false;
    DrivenRun run = Run(dlg, [&](HWND hDlg) {
        Command(hDlg, IDOK);
        visibleAfterRefusal = IsWindowVisible(hDlg) != FALSE;
        SetWindowTextA(GetDlgItem(hDlg, IDC_TEST_EDIT), "abc");
        Key(hDlg, IDC_TEST_EDIT, VK_RETURN);
    });
    ASSERT_TRUE(run.bFound) << "the dialog never appeared";
    EXPECT_TRUE(run.bEnded);
    EXPECT_TRUE(visibleAfterRefusal);
    EXPECT_EQ(2, dlg.m_nOK);
    EXPECT_EQ(IDOK, run.result);
    EXPECT_EQ("abc", std::string(dlg.m_strText));
}

TEST_F(Dialog, CancelButtonEscapeAndCloseBoxEndWithCancelAndExchangeNothing)
{
    const std::function<void(HWND)> ways[] = {
        [](HWND hDlg) { SendMessageA(GetDlgItem(hDlg, IDCANCEL), BM_CLICK, 0, 0); },
        [](HWND hDlg) { Key(hDlg, IDC_TEST_EDIT, VK_ESCAPE); },
        [](HWND hDlg) { PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    int way = 0;
    for (const auto& cancel : ways) {
        SCOPED_TRACE(way++);
        CTestDlg dlg;
        dlg.m_strText = "kept";
        DrivenRun run = Run(dlg, [&](HWND hDlg) {
            SetWindowTextA(GetDlgItem(hDlg, IDC_TEST_EDIT), "changed");
            cancel(hDlg);
        });
        ASSERT_TRUE(run.bFound) << "the dialog never appeared";
        EXPECT_TRUE(run.bEnded);
        EXPECT_EQ(IDCANCEL, run.result);
        EXPECT_EQ(1, dlg.m_nCancel);
        EXPECT_EQ(0, dlg.m_nOK);
        EXPECT_EQ("kept", std::string(dlg.m_strText));
    }
}

TEST_F(Dialog, MessageMapsDispatchThroughTheClassChain)
{
    CTestDlg dlg;
    int changesBefore = -1, changesAfter = -1;
    DrivenRun run = Run(dlg, [&](HWND hDlg) {
        HWND hEdit = GetDlgItem(hDlg, IDC_TEST_EDIT);
        changesBefore = dlg.m_nChanges;
        SetWindowTextA(hEdit, "a");
        SetWindowTextA(hEdit, "b");
        SetWindowTextA(hEdit, "c");
        changesAfter = dlg.m_nChanges;
        SendMessageA(GetDlgItem(hDlg, IDC_TEST_BUTTON), BM_CLICK, 0, 0);
        Command(hDlg, 0x7777);  // no entry anywhere: default processing, nothing happens
        Command(hDlg, IDCANCEL);
    });
    ASSERT_TRUE(run.bFound) << "the dialog never appeared";
    EXPECT_TRUE(run.bEnded);
    // Filling the edit from the member during initialisation is a change too.
    EXPECT_EQ(1, dlg.m_nChangesAtInit);
    EXPECT_EQ(3, changesAfter - changesBefore);
    // The derived class's entry for the button hides the base's; the base's EN_CHANGE entry is
    // found through the chain.
    EXPECT_EQ(1, dlg.m_nClicks);
    EXPECT_EQ(0, dlg.m_nBaseClicks);
}

// A message-map entry gets the message's parameters and gives its result; Default() in a dialog
// hands the message back to the dialog manager; an exception stops at the dialog procedure.
TEST_F(Dialog, EntriesTakeParametersDefaultIsTheDialogManagersAndThrowsStopAtTheProcedure)
{
    CTestDlg dlg;
    LRESULT doubled = 0, defaulted = -1, thrown = -1, ownDefId = 0, managerDefId = 0;
    bool aliveAfterThrow = false;
    DrivenRun run = Run(dlg, [&](HWND hDlg) {
        doubled = SendMessageA(hDlg, WM_APP + 7, 20, 3);
        defaulted = SendMessageA(hDlg, WM_APP + 7, 20, 1);
        thrown = SendMessageA(hDlg, WM_APP + 7, 20, 2);
        aliveAfterThrow = IsWindow(hDlg) && SendMessageA(hDlg, WM_APP + 7, 1, 0) == 2;
        managerDefId = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
        dlg.m_bOwnDefId = true;
        ownDefId = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
        Command(hDlg, IDCANCEL);
    });
    ASSERT_TRUE(run.bFound) << "the dialog never appeared";
    EXPECT_TRUE(run.bEnded);
    EXPECT_EQ(doubled, 43);
    EXPECT_EQ(defaulted, 0);
    EXPECT_EQ(thrown, 0);
    EXPECT_TRUE(aliveAfterThrow);
    // The dialog manager names the template's default push button, which DefWindowProc never would.
    EXPECT_EQ(managerDefId, MAKELRESULT(IDOK, DC_HASDEFID));
    EXPECT_EQ(ownDefId, MAKELRESULT(IDCANCEL, DC_HASDEFID));
}

TEST_F(Dialog, PaintDragIconDestroyAndPlacement)
{
    CTestDlg dlg;
    int paintsBefore = 0, paintsAfterDefault = 0;
    bool dirtyAfterDefault = true, dirtyAfterOwn = true;
    LRESULT dragIcon = 0;
    RECT rc = {}, area = {};
    DrivenRun run = Run(dlg, [&](HWND hDlg) {
        GetWindowRect(hDlg, &rc);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        // The dialog's own first paints finish first: one still in its handler when the window is
        // invalidated below would validate that invalidation on its way out, and no paint would follow.
        UpdateWindow(hDlg);
        SendMessageA(hDlg, WM_NULL, 0, 0);
        paintsBefore = dlg.m_nPaint;
        InvalidateRect(hDlg, nullptr, TRUE);
        UpdateWindow(hDlg);
        paintsAfterDefault = dlg.m_nPaint;
        // A handler that paints nothing itself must still leave the window validated: its
        // Default() hands the message to the dialog manager, which validates it once the handler
        // has returned, so that is where it is judged.
        dirtyAfterDefault = GetUpdateRect(hDlg, nullptr, FALSE) != FALSE;
        dlg.m_bOwnPaint = true;
        InvalidateRect(hDlg, nullptr, TRUE);
        UpdateWindow(hDlg);
        dirtyAfterOwn = dlg.m_bDirtyAfterPaint;
        dragIcon = SendMessageA(hDlg, WM_QUERYDRAGICON, 0, 0);
        Command(hDlg, IDCANCEL);
    });
    ASSERT_TRUE(run.bFound) << "the dialog never appeared";
    EXPECT_TRUE(run.bEnded);
    EXPECT_LT(paintsBefore, paintsAfterDefault);  // the system may add paints of its own
    EXPECT_FALSE(dirtyAfterDefault);
    EXPECT_TRUE(dlg.m_bDrew);
    EXPECT_FALSE(dirtyAfterOwn);
    EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.m_hDragIcon), dragIcon);
    // Placed at 0, 0 by its template, the dialog is centred on the work area.
    EXPECT_NEAR((area.left + area.right) / 2, (rc.left + rc.right) / 2, 2);
    EXPECT_NEAR((area.top + area.bottom) / 2, (rc.top + rc.bottom) / 2, 2);
    EXPECT_EQ(1, dlg.m_nDestroy);
    EXPECT_EQ(run.hWnd, dlg.m_hWndInDestroy);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

UINT PostQuitToDialog(LPVOID param)
{
    PostMessageA(static_cast<HWND>(param), WM_QUIT, 7, 0);
    return 0;
}

TEST_F(Dialog, QuitPostedFromAnotherThreadEndsTheRunAndIsPostedAgain)
{
    CTestDlg dlg;
    dlg.m_bKeepOpenOnCancel = true;
    bool openAfterCancel = false;
    DrivenRun run = Run(dlg, [&](HWND hDlg) {
        PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        openAfterCancel = WaitUntil([&] { return dlg.m_nCancel == 1; }, 5000) && IsWindowVisible(hDlg);
        AfxBeginThread(PostQuitToDialog, hDlg);
    });
    ASSERT_TRUE(run.bFound) << "the dialog never appeared";
    EXPECT_TRUE(openAfterCancel);
    EXPECT_TRUE(run.bEnded);
    EXPECT_EQ(-1, run.result);
    EXPECT_EQ(1, dlg.m_nDestroy);
    EXPECT_FALSE(IsWindow(run.hWnd));
    WPARAM exitCode = 0;
    ASSERT_TRUE(TakeQuitMessage(&exitCode)) << "the quit message was not posted again";
    EXPECT_EQ(7u, exitCode);

    // With the quit message taken, the thread can run another dialog as usual.
    CTestDlg next;
    DrivenRun again = Run(next, [](HWND hDlg) { Command(hDlg, IDOK); });
    ASSERT_TRUE(again.bFound);
    EXPECT_EQ(IDOK, again.result);
    EXPECT_FALSE(TakeQuitMessage(&exitCode));
}

TEST_F(Dialog, MissingTemplateEndsAtOnceWithMinusOne)
{
    CDialog dlg(0x7777);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(App, EntryRunsInitInstanceOfTheOneApplicationObject)
{
    EXPECT_EQ(&theTestApp, AfxGetApp());
    int before = theTestApp.m_nInitInstance;
    EXPECT_EQ(0, AfxWinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW));
    EXPECT_EQ(before + 1, theTestApp.m_nInitInstance);
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetInstanceHandle());
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetResourceHandle());

    EXPECT_TRUE(theTestApp.OnCmdMsg(ID_TEST_COMMAND, 0));
    EXPECT_EQ(1, theTestApp.m_nTestCommand);
    EXPECT_TRUE(theTestApp.OnCmdMsg(ID_HELP, 0));
    EXPECT_FALSE(theTestApp.OnCmdMsg(ID_TEST_COMMAND, EN_CHANGE));
    EXPECT_FALSE(theTestApp.OnCmdMsg(0x7777, 0));
}

TEST(App, WinMainOfTheFrameworkStartsAProgram)
{
    // afx_probe.exe is built beside this program from the framework's WinMain and an application
    // object that writes what it saw to <exe>.out.
    std::string exe = TestProgramDir() + "afx_probe.exe";
    std::string out = exe + ".out";
    DeleteFileA(out.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000)) << "the probe did not end";
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);
    EXPECT_EQ("InitInstance: app registered, instance is the module", ReadWholeFile(out));
}

}  // namespace
