#include "dpi_picture.h"

namespace {

constexpr UINT kDesignDpi = 96;

// The dialog units of a font: its average character width (as the dialog manager takes it, over
// the letters of the alphabet) and its height.
SIZE FontUnits(const LOGFONTW& font)
{
    SIZE units = {0, 0};
    HFONT made = CreateFontIndirectW(&font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, made);
    static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent;
    TEXTMETRICW metrics;
    if (GetTextExtentPoint32W(dc, kAlphabet, 52, &extent) && GetTextMetricsW(dc, &metrics)) {
        units.cx = (extent.cx / 26 + 1) / 2;
        units.cy = metrics.tmHeight;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(made);
    return units;
}

// A copy of `source` at `scale` times its size; null when it cannot be made.
HBITMAP ScaleBitmap(HBITMAP source, double scale)
{
    BITMAP info;
    if (GetObjectA(source, sizeof info, &info) == 0) return nullptr;
    const int width = static_cast<int>(info.bmWidth * scale + 0.5);
    const int height = static_cast<int>(info.bmHeight * scale + 0.5);
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
    if (from && to && scaled) {
        HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, scaled);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return scaled;
}

// How much larger `dialog` is laid out at `dpi` than at 96: the ratio of its dialog units (its
// font's average character width and height) there to those at 96 dpi. A font does not grow in
// step with the dpi, and the dialog grows with its font.
double DialogScale(HWND dialog, UINT dpi)
{
    LOGFONTW font;
    HFONT current = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (dpi == kDesignDpi || current == nullptr || GetObjectW(current, sizeof font, &font) == 0)
        return static_cast<double>(dpi) / kDesignDpi;
    const SIZE now = FontUnits(font);
    // The same font at 96 dpi, as the dialog manager makes it there: from the template's whole
    // points (8 points are 11 pixels at 96 dpi, 13 at 120, 16 at 144), not the height scaled down.
    const int points = MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, 72, static_cast<int>(dpi));
    const int height = MulDiv(points, kDesignDpi, 72);
    font.lfHeight = font.lfHeight < 0 ? -height : height;
    font.lfWidth = MulDiv(font.lfWidth, kDesignDpi, static_cast<int>(dpi));
    const SIZE design = FontUnits(font);
    if (now.cx <= 0 || now.cy <= 0 || design.cx <= 0 || design.cy <= 0) return static_cast<double>(dpi) / kDesignDpi;
    // One factor for both sides, the smaller, so that the picture keeps its proportions and its room.
    const double across = static_cast<double>(now.cx) / design.cx, down = static_cast<double>(now.cy) / design.cy;
    return across < down ? across : down;
}

}  // namespace

UINT GetWindowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(window, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

CDpiPicture::~CDpiPicture()
{
    if (m_hSource) DeleteObject(m_hSource);
    if (m_hScaled) DeleteObject(m_hScaled);
}

void CDpiPicture::Attach(HWND dialog, HWND picture, HBITMAP source)
{
    m_hDialog = dialog;
    m_hPicture = picture;
    m_hSource = source;
}

void CDpiPicture::ShowAt(UINT dpi)
{
    if (m_hSource == nullptr || m_hPicture == nullptr) return;
    HBITMAP scaled = dpi == kDesignDpi ? nullptr : ScaleBitmap(m_hSource, DialogScale(m_hDialog, dpi));
    SendMessageA(m_hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled ? scaled : m_hSource));
    if (m_hScaled) DeleteObject(m_hScaled);  // the copy shown before, replaced now
    m_hScaled = scaled;
}
