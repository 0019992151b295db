#pragma once

#include "afxstr.h"

// The setup directory: the folder of the running executable, always ending in one backslash
// ("\" alone when the module name holds no backslash at all).
CString GetModuleDirectory();
