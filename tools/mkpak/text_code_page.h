// Which code page a setup directory's names and texts are in. An installer built to run in UTF-8
// says so in its manifest; it reads the package's names, its script and its log template as UTF-8.
// An installer built for the machine's code page reads them in that code page, which only the
// vendor knows (--codepage).
#pragma once

#include "system.h"

#include <string>

enum class InstallerCodePage { kUnknown, kUtf8, kSystem };

// What the installer at `setupExe` declares; kUnknown when there is none (an empty path) or it
// cannot be read.
InstallerCodePage ReadInstallerCodePage(const fs::path& setupExe);

// The code page of the names: `given` (0 when --codepage was not given) against what the installer
// at `setupExe` reads (`installer`, as ReadInstallerCodePage found it). Without --codepage that is
// UTF-8, or 1252 for an installer built for the machine's code page. False, with the reason, when
// the two disagree.
bool ChooseNameCodePage(unsigned given, InstallerCodePage installer, const fs::path& setupExe, unsigned& codePage,
                        std::string& refusal);

// For an installer that reads UTF-8: false, naming `what` and the first line that is not UTF-8,
// when `text` is not UTF-8 throughout. A byte-order mark is UTF-8.
bool CheckUtf8Text(const std::string& text, const std::string& what, std::string& refusal);
