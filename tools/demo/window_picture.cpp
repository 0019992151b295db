#include "window_picture.h"

#include "png_file.h"

#include <cstdint>
#include <vector>

bool SaveWindowPicture(HWND hwnd, const std::string& path)
{
    RECT rc;
    if (!GetWindowRect(hwnd, &rc)) return false;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return false;

    // A top-down 32-bit section: its rows are `width` BGRX pixels with no padding.
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP section = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool bCopied = false;
    if (memory && section) {
        HGDIOBJ old = SelectObject(memory, section);
        // The screen rather than PrintWindow: the picture is what a person sees, whatever the
        // controls would paint into another DC.
        bCopied = BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory, old);
    }
    std::vector<std::uint8_t> rgb;
    if (bCopied) {
        const auto* bgrx = static_cast<const std::uint8_t*>(bits);
        rgb.resize(static_cast<size_t>(width) * height * 3);
        for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
            rgb[i * 3] = bgrx[i * 4 + 2];
            rgb[i * 3 + 1] = bgrx[i * 4 + 1];
            rgb[i * 3 + 2] = bgrx[i * 4];
        }
    }
    if (section) DeleteObject(section);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bCopied && WritePng(path, width, height, rgb);
}
