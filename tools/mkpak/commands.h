// mkpak's commands. Each returns the process exit code: 0 done, 1 failed (refused input, a
// damaged package, an I/O error), 2 a usage error. Messages go to stdout (progress, summaries,
// listings) and stderr (problems).
#pragma once

#include "system.h"

#include <string>
#include <vector>

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

enum class Verbosity { kAuto, kQuiet, kVerbose };

struct BuildOptions {
    fs::path productFolder, setupDir;
    unsigned nCodePage = 0;  // 0: as the installer reads names (see text_code_page.h)
    int nLevel = 6;
    bool bComplete = false;
    bool bUninstaller = false;  // add the uninstaller to the product as "uninstall.exe"
    fs::path script, setupExe, face, logTemplate, uninstallExe;  // empty when not given
    std::string signCommand;  // the vendor's signing command; empty for none
    Verbosity verbosity = Verbosity::kAuto;
};

struct StampOptions {
    fs::path setupDir;
    std::string signCommand;
    Verbosity verbosity = Verbosity::kAuto;
};

struct InspectOptions {
    fs::path package;  // a package file, or a setup directory holding "data.pak"
    unsigned nCodePage = 0;  // 0: as the setup directory's installer reads names
    Verbosity verbosity = Verbosity::kAuto;
};

int RunBuild(const BuildOptions& options);
int RunList(const InspectOptions& options);
int RunVerify(const InspectOptions& options);
int RunStamp(const StampOptions& options);
// Checks a setup directory against the stamp of its setup.exe, naming the first input that
// differs; done when setup.exe is missing or carries no stamp.
int VerifyStamp(const fs::path& setupDir, Verbosity verbosity);

// Parses the command line (without the program name) and runs the command.
int RunMkpak(const std::vector<std::string>& args);

// Whether summaries (and, on a terminal, progress) are shown: on a terminal unless quiet,
// elsewhere only when asked.
bool ShowsSummary(Verbosity verbosity);
