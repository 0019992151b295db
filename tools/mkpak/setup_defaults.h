// What mkpak puts in a setup directory when the vendor gives no file of their own.
#pragma once

#include <string>
#include <vector>

// A 24-bit bottom-up BMP, 400 by 60 pixels: a plain band for the top of the destination dialog.
std::string MakeDefaultFace();
// The uninstall log template: the uninstaller's section, empty.
std::string MakeDefaultLogTemplate();
// An installation script with both sections. `product` (code-page bytes) names the title, the
// proposed destination and the program group; `launch`, when not empty, is the program the
// finish dialog offers to start and the target of a Start-menu shortcut; with `uninstaller` a
// shortcut "Uninstall <product>" to the packed uninstaller follows.
std::string MakeDefaultScript(const std::string& product, const std::string& launch, bool uninstaller = false);
