// What Apps & features lists, as Wine's own uninstaller prints it.
#pragma once

#include <string>

// The output of "uninstaller.exe --list": a line "key|||DisplayName" for each entry of the
// machine's and the current user's Uninstall keys that has a DisplayName and an UninstallString.
std::string AppsAndFeaturesList();
