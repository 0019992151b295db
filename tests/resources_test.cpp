// The dialogs, icon, picture and string as the program loads them: every control in creation
// order with its class, text, id, styles and place in dialog units.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include <string>
#include <vector>

#include "resource.h"

namespace {

struct Control {
    int id;
    const char* cls;
    const char* text;  // nullptr: not compared (a picture)
    DWORD style;       // beyond WS_CHILD | WS_VISIBLE
    RECT units;        // x, y, width, height in dialog units (right/bottom hold width/height)
};

// The style bits a template decides; the system may add others (clipping and the like).
constexpr DWORD kCompared = 0xFFFF | WS_TABSTOP | WS_GROUP | WS_BORDER | WS_VISIBLE | WS_CHILD |
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd)
{
    char text[256] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

void ExpectControls(HWND dialog, const std::vector<Control>& expected)
{
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Control& c : expected) {
        ASSERT_NE(child, nullptr) << "missing control " << c.id;
        SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.cls);
        EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(c.id));
        EXPECT_STRCASEEQ(ClassOf(child).c_str(), c.cls);
        if (c.text) {
            EXPECT_EQ(TextOf(child), c.text);
        }
        DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        // In a 3-D dialog the dialog manager draws a bordered edit with a client edge instead.
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        EXPECT_EQ(style & kCompared, (c.style | WS_CHILD | WS_VISIBLE) & kCompared);

        // Each of x, y, width and height is mapped on its own, as the dialog manager does.
        RECT want = c.units;
        MapDialogRect(dialog, &want);
        want.right += want.left;
        want.bottom += want.top;
        RECT got;
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        // A bitmap static takes the size of its picture; only its place is compared.
        bool picture = (c.style & SS_TYPEMASK) == SS_BITMAP && !std::strcmp(c.cls, "Static");
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        if (!picture) {
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than expected";
}

class Dialog {
public:
    explicit Dialog(int id)
        : m_hwnd(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
                                    QuietProc, 0))
    {
    }
    ~Dialog() { DestroyWindow(m_hwnd); }
    HWND get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

// The dialog manager adds DS_3DLOOK to every dialog; the rest is the template's.
DWORD StyleOf(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & kCompared & ~DWORD(DS_3DLOOK);
}

}  // namespace

TEST(Resources, DestinationDialog)
{
    Dialog d(IDD_DESTINATION);
    ASSERT_NE(d.get(), nullptr);
    EXPECT_EQ(TextOf(d.get()), "setup");
    EXPECT_EQ(StyleOf(d.get()),
              DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU));
    EXPECT_TRUE(GetWindowLongA(d.get(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT size = {0, 0, 270, 232};
    MapDialogRect(d.get(), &size);
    RECT client;
    GetClientRect(d.get(), &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    ExpectControls(d.get(), {
        {IDOK, "Button", "&Install", BS_DEFPUSHBUTTON | WS_TABSTOP, {155, 211, 50, 14}},
        {IDCANCEL, "Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, {213, 211, 50, 14}},
        {IDC_PICTURE, "Static", nullptr, SS_BITMAP, {7, 2, 256, 93}},
        {IDC_DEST, "Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, {13, 162, 243, 14}},
        {IDC_BROWSE, "Button", "&Browse...", BS_PUSHBUTTON | WS_TABSTOP, {200, 182, 57, 15}},
        {IDC_STATIC, "Button", "Destination Directory", BS_GROUPBOX, {7, 147, 256, 59}},
        {IDC_STATIC, "Static", "Required:", SS_LEFT | WS_GROUP, {14, 181, 32, 8}},
        {IDC_REQUIRED, "Static", "0000 M", SS_LEFT | WS_GROUP, {51, 181, 140, 8}},
        {IDC_STATIC, "Static", "Available:", SS_LEFT | WS_GROUP, {14, 192, 33, 8}},
        {IDC_AVAILABLE, "Static", "0000 M", SS_LEFT | WS_GROUP, {51, 192, 140, 8}},
    });
}

// The space fields show MiB: a 2 TB disk needs seven digits. Any count up to eight digits is drawn
// whole in the field's own font, and the fields stay inside the group box, clear of Browse.
TEST(Resources, SpaceFieldsShowEightDigitsWhole)
{
    Dialog d(IDD_DESTINATION);
    ASSERT_NE(d.get(), nullptr);
    auto screenRect = [&](int id) {
        RECT r;
        GetWindowRect(GetDlgItem(d.get(), id), &r);
        return r;
    };
    RECT browse = screenRect(IDC_BROWSE);
    RECT group;
    GetWindowRect(GetWindow(GetDlgItem(d.get(), IDC_BROWSE), GW_HWNDNEXT), &group);
    for (int id : {IDC_REQUIRED, IDC_AVAILABLE}) {
        SCOPED_TRACE(id);
        HWND field = GetDlgItem(d.get(), id);
        SetWindowTextA(field, "99999999 M");
        HDC dc = GetDC(field);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32A(dc, "99999999 M", 10, &text);
        SelectObject(dc, old);
        ReleaseDC(field, dc);
        RECT client;
        GetClientRect(field, &client);
        EXPECT_GT(text.cx, 0);
        EXPECT_LE(text.cx, client.right) << "the text needs " << text.cx << " pixels";
        EXPECT_LE(text.cy, client.bottom);
        RECT r = screenRect(id);
        EXPECT_LE(r.right, browse.left);
        EXPECT_LT(r.right, group.right);
    }
}

TEST(Resources, ProgressDialog)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    Dialog d(IDD_EXTRACT);
    ASSERT_NE(d.get(), nullptr);
    EXPECT_EQ(TextOf(d.get()), "Extracting files...");
    EXPECT_EQ(StyleOf(d.get()), DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    ExpectControls(d.get(), {
        {IDCANCEL, "Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, {97, 60, 50, 14}},
        {IDC_DEST_FILE, "Static", "dest file", SS_LEFT | WS_GROUP, {44, 18, 188, 8}},
        {IDC_PROGRESS, PROGRESS_CLASSA, nullptr, PBS_SMOOTH, {11, 32, 223, 14}},
        {IDC_STATIC, "Static", "File:", SS_LEFT | WS_GROUP, {13, 18, 21, 8}},
        {IDC_STATIC, "Button", "", BS_GROUPBOX, {7, 5, 231, 49}},
    });
}

TEST(Resources, FinishDialogAndItsPicture)
{
    Dialog d(IDD_FINISH);
    ASSERT_NE(d.get(), nullptr);
    EXPECT_EQ(TextOf(d.get()), "Setup");
    EXPECT_EQ(StyleOf(d.get()), DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    ExpectControls(d.get(), {
        {IDOK, "Button", "&Finish", BS_DEFPUSHBUTTON | WS_TABSTOP, {92, 125, 50, 14}},
        {IDC_STATIC, "Static", nullptr, SS_BITMAP | SS_SUNKEN, {12, 7, 121, 33}},
        {IDC_LAUNCH, "Button", "&Launch Quenthary", BS_AUTOCHECKBOX | WS_TABSTOP, {7, 100, 79, 10}},
        {IDC_STATIC, "Static", "Setup has finished installing Quenthary on your computer.",
         SS_LEFT | WS_GROUP, {7, 44, 135, 20}},
        {IDC_STATIC, "Static",
         "Select the following option if you want Quenthary to be launched after exiting this "
         "install program.",
         SS_LEFT | WS_GROUP, {7, 68, 135, 24}},
        {IDC_STATIC, "Static", "", SS_BLACKFRAME | SS_SUNKEN, {7, 119, 135, 1}},
    });
    HWND picture = GetWindow(GetDlgItem(d.get(), IDOK), GW_HWNDNEXT);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info;
    ASSERT_TRUE(GetObjectA(bitmap, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 180);
    EXPECT_EQ(info.bmHeight, 56);
}

TEST(Resources, IconHasBothSizesAndTheFolderPromptExists)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(self, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO ii;
        ASSERT_TRUE(GetIconInfo(icon, &ii));
        BITMAP mask;
        GetObjectA(ii.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, size);
        DeleteObject(ii.hbmMask);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
        DestroyIcon(icon);
    }
    char text[64] = "";
    EXPECT_EQ(LoadStringA(self, IDS_SELECT_FOLDER, text, sizeof text), 22);
    EXPECT_STREQ(text, "Please select a folder");
}
