// Pictures at the display's scale. The programs are per-monitor aware, so Windows lays their
// dialogs out at the display's real resolution; a bitmap, drawn for 96 dpi, is scaled here by the
// same factor (smoothly), so that it keeps its proportions in the dialog.
#pragma once

#include <windows.h>

// The dpi of `window`: its monitor's where the system tells it (Windows 10 version 1607 on), else
// the screen's.
UINT GetWindowDpi(HWND window);

// The picture of a bitmap static, drawn for 96 dpi, shown at its dialog's scale. It owns the picture
// and its scaled copy, and deletes both when it goes (after the window, which shows one of them).
class CDpiPicture {
public:
    CDpiPicture() = default;
    ~CDpiPicture();
    CDpiPicture(const CDpiPicture&) = delete;
    CDpiPicture& operator=(const CDpiPicture&) = delete;

    // The picture `source` (owned from now on; null for none) of the static `picture` in `dialog`.
    void Attach(HWND dialog, HWND picture, HBITMAP source);
    // Shows it scaled with the dialog at `dpi` (halftone scaling, its proportions kept); at 96 dpi
    // the picture itself.
    void ShowAt(UINT dpi);

private:
    HWND m_hDialog = nullptr, m_hPicture = nullptr;
    HBITMAP m_hSource = nullptr, m_hScaled = nullptr;
};
