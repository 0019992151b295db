#pragma once

#include <windows.h>

// Grows a dialog's texts to hold what they say, measured in each control's own font: a left,
// centred or right static text grows downwards (and, for a word too long for its line, rightwards
// up to the dialog's margin); a check box or radio button grows rightwards up to that margin, and
// beyond it wraps onto more lines. Whatever lies below a control that grew moves down by as much,
// and so does the dialog's bottom edge. A text that fits leaves everything where it is. True when
// anything moved.
bool GrowTextsToFit(HWND dialog);
