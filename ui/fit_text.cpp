#include "fit_text.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Texts are read and measured in UTF-16, as the controls hold and draw them: in the ANSI code
// page a letter it lacks would be measured as "?".
std::wstring TextOf(HWND control)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    return text;
}

bool IsClass(HWND control, const char* name)
{
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

bool IsStaticText(HWND control, LONG style)
{
    LONG type = style & SS_TYPEMASK;
    return IsClass(control, WC_STATICA) && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
}

bool IsCheckOrRadio(HWND control, LONG style)
{
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        return IsClass(control, WC_BUTTONA);
    default:
        return false;
    }
}

// The rectangle `text` takes when drawn with `flags` in the control's font, `width` wide. With
// DT_WORDBREAK a word longer than the width makes the rectangle wider than it.
SIZE Measure(HWND control, const std::wstring& text, UINT flags, int width)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rc = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{rc.right, rc.bottom};
}

struct Placed {
    HWND hwnd;
    RECT rc;        // in the dialog's client coordinates
    bool bStatic;   // a static text; otherwise a check box or radio button when bText
    bool bText;     // one of the two
    std::wstring text;
    UINT prefix;    // DT_NOPREFIX for a static that shows "&" as itself
    int frameX, frameY;
};

// The part of a check box that is not its text: the box and the gap after it, and two pixels more
// (its own ideal size leaves its text a pixel short of where its painting puts it).
int BoxWidth(const Placed& p)
{
    constexpr int kSlack = 2;
    SIZE ideal = {};
    if (SendMessageA(p.hwnd, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) && ideal.cx > 0) {
        int textWidth = Measure(p.hwnd, p.text, DT_SINGLELINE | p.prefix, 0).cx;
        if (ideal.cx > textWidth) return ideal.cx - textWidth + kSlack;
    }
    // Without version 6 of the common controls: the box, as wide as a menu's check mark, and a gap.
    return GetSystemMetrics(SM_CXMENUCHECK) + 4 + kSlack;
}

// The widest a text control may be: as far from the dialog's right edge as it stands from the
// left one.
int Widest(const Placed& p, const RECT& client)
{
    return std::max<int>(p.rc.right - p.rc.left - p.frameX, client.right - 2 * p.rc.left - p.frameX);
}

// How many pixels the text's longest word lacks at the widest the control may be.
int Overflow(const Placed& p, const RECT& client)
{
    int widest = Widest(p, client);
    if (p.bStatic) return Measure(p.hwnd, p.text, DT_WORDBREAK | DT_EXPANDTABS | p.prefix, widest).cx - widest;
    int box = BoxWidth(p);
    if (box + Measure(p.hwnd, p.text, DT_SINGLELINE | p.prefix, 0).cx <= widest) return 0;
    return Measure(p.hwnd, p.text, DT_WORDBREAK | p.prefix, widest - box).cx - (widest - box);
}

void MoveTo(Placed& p, const RECT& rc)
{
    p.rc = rc;
    SetWindowPos(p.hwnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void GrowDialog(HWND dialog, int dx, int dy)
{
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Makes the dialog `dx` wider: what spans it from margin to margin widens with it, what stands at
// its right margin moves with that margin, everything else stays.
void Widen(HWND dialog, std::vector<Placed>& controls, RECT& client, int dx)
{
    int right = 0, left = client.right;
    for (const Placed& p : controls) {
        right = std::max<int>(right, p.rc.right);
        left = std::min<int>(left, p.rc.left);
    }
    constexpr int kSlack = 2;  // dialog units rounded to pixels
    for (Placed& p : controls) {
        if (p.rc.right < right - kSlack) continue;
        RECT rc = p.rc;
        if (p.rc.left <= left + kSlack) rc.right += dx;
        else OffsetRect(&rc, dx, 0);
        MoveTo(p, rc);
    }
    GrowDialog(dialog, dx, 0);
    GetClientRect(dialog, &client);
}

}  // namespace

bool GrowTextsToFit(HWND dialog)
{
    std::vector<Placed> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Placed p{child, {}, false, false, {}, 0, 0, 0};
        GetWindowRect(child, &p.rc);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&p.rc), 2);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        p.bStatic = IsStaticText(child, style);
        p.bText = p.bStatic || IsCheckOrRadio(child, style);
        if (p.bText) {
            p.text = TextOf(child);
            p.bText = !p.text.empty();
            p.prefix = p.bStatic && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
            RECT inside;
            GetClientRect(child, &inside);
            p.frameX = (p.rc.right - p.rc.left) - inside.right;
            p.frameY = (p.rc.bottom - p.rc.top) - inside.bottom;
        }
        controls.push_back(p);
    }
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Placed& a, const Placed& b) { return a.rc.top < b.rc.top; });
    RECT client;
    GetClientRect(dialog, &client);
    bool bChanged = false;

    // A word that no line of the dialog holds: the dialog widens first.
    int overflow = 0;
    for (const Placed& p : controls)
        if (p.bText) overflow = std::max(overflow, Overflow(p, client));
    if (overflow > 0) {
        Widen(dialog, controls, client, overflow);
        bChanged = true;
    }

    int grownBy = 0;
    for (size_t i = 0; i < controls.size(); ++i) {
        Placed& p = controls[i];
        if (!p.bText) continue;
        int widest = Widest(p, client);
        int oldWidth = p.rc.right - p.rc.left - p.frameX, oldHeight = p.rc.bottom - p.rc.top - p.frameY;
        int width = oldWidth, height = oldHeight;
        if (p.bStatic) {
            UINT flags = DT_WORDBREAK | DT_EXPANDTABS | p.prefix;
            SIZE need = Measure(p.hwnd, p.text, flags, width);
            if (need.cx > width) {
                width = std::min<int>(need.cx, widest);
                need = Measure(p.hwnd, p.text, flags, width);
            }
            height = std::max<int>(height, need.cy);
        } else {
            int box = BoxWidth(p);
            SIZE line = Measure(p.hwnd, p.text, DT_SINGLELINE | p.prefix, 0);
            if (box + line.cx <= width) continue;
            if (box + line.cx <= widest) {
                width = box + line.cx;
            } else {
                width = widest;
                SetWindowLongA(p.hwnd, GWL_STYLE, GetWindowLongA(p.hwnd, GWL_STYLE) | BS_MULTILINE);
                height = std::max<int>(height, Measure(p.hwnd, p.text, DT_WORDBREAK | p.prefix, width - box).cy);
            }
        }
        if (width == oldWidth && height == oldHeight) continue;
        bChanged = true;

        int down = height - oldHeight;
        int oldBottom = p.rc.bottom;
        MoveTo(p, RECT{p.rc.left, p.rc.top, p.rc.left + width + p.frameX, p.rc.top + height + p.frameY});
        if (down <= 0) continue;
        for (size_t j = 0; j < controls.size(); ++j) {
            if (j == i || controls[j].rc.top < oldBottom) continue;
            RECT rc = controls[j].rc;
            OffsetRect(&rc, 0, down);
            MoveTo(controls[j], rc);
        }
        grownBy += down;
    }
    if (grownBy > 0) GrowDialog(dialog, 0, grownBy);
    return bChanged;
}
