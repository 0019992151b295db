#pragma once

#include <windows.h>

// Grows a dialog's texts to hold what they say, measured in each control's own font: a left,
// centred or right static text grows downwards; a check box or radio button grows rightwards up to
// the dialog's margin (as far from the right edge as it stands from the left), and beyond it
// wraps onto more lines. Whatever lies below a control that grew moves down by as much, and so
// does the dialog's bottom edge. A word that no line holds even at the margin widens the dialog
// first: what spans it from margin to margin widens too, what stands at its right margin moves
// with it. A text that fits leaves everything where it is. True when anything moved.
bool GrowTextsToFit(HWND dialog);
