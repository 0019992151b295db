// Pictures at the display's scale. The programs are per-monitor aware, so Windows lays their
// dialogs out at the display's real resolution; a bitmap, drawn for 96 dpi, is scaled here by the
// same factor (smoothly), so that it keeps its proportions in the dialog.
#pragma once

#include <windows.h>

// The dpi of `window`: its monitor's where the system tells it (Windows 10 version 1607 on), else
// the screen's.
UINT GetWindowDpi(HWND window);

// How much larger `dialog` is laid out at `dpi` than at 96: the ratio of its dialog units (its
// font's average character width and height) there to those at 96 dpi. A font does not grow in
// step with the dpi, and the dialog grows with its font.
double DialogScale(HWND dialog, UINT dpi);

// Shows `source` in the bitmap static `picture` of `dialog`, scaled with the dialog at `dpi`
// (halftone scaling, its proportions kept); at 96 dpi the source itself. `shown` holds the scaled
// copy made by the previous call, which this one replaces and deletes; the caller deletes the last
// one (and `source`).
void ShowPictureAtDpi(HWND dialog, HWND picture, HBITMAP source, UINT dpi, HBITMAP& shown);
