#include "fit_text.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string TextOf(HWND control)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
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

// The rectangle `text` takes when drawn with `flags` in the control's font, `width` wide.
SIZE Measure(HWND control, const std::string& text, UINT flags, int width)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rc = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{rc.right, rc.bottom};
}

// The part of a check box that is not its text: the box and the gap after it.
int BoxWidth(HWND control, const std::string& text, UINT prefix)
{
    SIZE ideal = {};
    if (SendMessageA(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) && ideal.cx > 0) {
        int textWidth = Measure(control, text, DT_SINGLELINE | prefix, 0).cx;
        if (ideal.cx > textWidth) return ideal.cx - textWidth;
    }
    // Without version 6 of the common controls: the box, as wide as a menu's check mark, and a gap.
    return GetSystemMetrics(SM_CXMENUCHECK) + 4;
}

struct Placed {
    HWND hwnd;
    RECT rc;  // in the dialog's client coordinates
};

}  // namespace

bool GrowTextsToFit(HWND dialog)
{
    std::vector<Placed> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rc;
        GetWindowRect(child, &rc);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
        controls.push_back({child, rc});
    }
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Placed& a, const Placed& b) { return a.rc.top < b.rc.top; });
    RECT client;
    GetClientRect(dialog, &client);

    int grownBy = 0;
    bool bChanged = false;
    for (size_t i = 0; i < controls.size(); ++i) {
        Placed& placed = controls[i];
        HWND control = placed.hwnd;
        LONG style = GetWindowLongA(control, GWL_STYLE);
        bool bStatic = IsStaticText(control, style);
        if (!bStatic && !IsCheckOrRadio(control, style)) continue;
        std::string text = TextOf(control);
        if (text.empty()) continue;

        RECT inside;
        GetClientRect(control, &inside);
        int frameX = (placed.rc.right - placed.rc.left) - inside.right;
        int frameY = (placed.rc.bottom - placed.rc.top) - inside.bottom;
        // As far right as the control stands from the dialog's left edge.
        int widest = std::max(inside.right, client.right - 2 * placed.rc.left - frameX);
        int width = inside.right, height = inside.bottom;
        UINT prefix = (bStatic ? (style & SS_NOPREFIX) : 0) ? DT_NOPREFIX : 0;
        if (bStatic) {
            UINT flags = DT_WORDBREAK | DT_EXPANDTABS | prefix;
            SIZE need = Measure(control, text, flags, width);
            if (need.cx > width) {
                width = std::min<int>(need.cx, widest);
                need = Measure(control, text, flags, width);
            }
            height = std::max<int>(height, need.cy);
        } else {
            int box = BoxWidth(control, text, prefix);
            SIZE line = Measure(control, text, DT_SINGLELINE | prefix, 0);
            if (box + line.cx <= width) continue;
            if (box + line.cx <= widest) {
                width = box + line.cx;
            } else {
                width = widest;
                SetWindowLongA(control, GWL_STYLE, style | BS_MULTILINE);
                SIZE need = Measure(control, text, DT_WORDBREAK | prefix, width - box);
                height = std::max<int>(height, need.cy);
            }
        }
        if (width == inside.right && height == inside.bottom) continue;
        bChanged = true;

        int down = height - inside.bottom;
        int oldBottom = placed.rc.bottom;
        placed.rc.right = placed.rc.left + width + frameX;
        placed.rc.bottom = placed.rc.top + height + frameY;
        SetWindowPos(control, nullptr, 0, 0, width + frameX, height + frameY,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (down <= 0) {
            InvalidateRect(control, nullptr, TRUE);
            continue;
        }
        for (size_t j = 0; j < controls.size(); ++j) {
            if (j == i || controls[j].rc.top < oldBottom) continue;
            OffsetRect(&controls[j].rc, 0, down);
            SetWindowPos(controls[j].hwnd, nullptr, controls[j].rc.left, controls[j].rc.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        grownBy += down;
    }
    if (grownBy > 0) {
        RECT window;
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grownBy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return bChanged;
}
