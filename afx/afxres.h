// Identifiers shared by resource scripts and code. Plain #defines only: windres reads this file.
#pragma once

#define IDC_STATIC (-1)  // a control that the code never addresses
#define ID_HELP 0xE146   // the framework's help command
