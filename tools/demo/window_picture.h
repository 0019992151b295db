// Pictures of windows as they are on the screen.
#pragma once

#include <windows.h>

#include <string>

// Saves what the screen shows inside `hwnd`'s window rectangle, frame and caption included, as a
// PNG file. Windows lying over it are in the picture too, so it should be in front.
bool SaveWindowPicture(HWND hwnd, const std::string& path);
