// mkpak stamp, and the stamp's part of mkpak verify.
#include "commands.h"
#include "file_bytes.h"
#include "report.h"
#include "setup_names.h"
#include "signing.h"
#include "stamp.h"
#include "staging.h"

#include <cstdio>

int RunStamp(const StampOptions& options)
{
    const fs::path program = options.setupDir / SetupFile::kInstaller;
    std::string image, error;
    if (!ReadFileBytes(program, image)) return Refuse("cannot read " + Quote(program));
    SetupStamp stamp;
    if (!ComputeStamp(SetupDirInputs(options.setupDir), stamp, error)) return Refuse(error);
    if (!StampProgram(image, stamp, error)) return Refuse(Quote(program) + " " + error);
    CStaging staging(options.setupDir);
    if (!staging.Write(SetupFile::kInstaller, image)) return Refuse("cannot write " + Quote(program));
    if (!options.signCommand.empty() && !SignProgram(options.signCommand, staging.PathOf(SetupFile::kInstaller), error))
        return Refuse(error + "; " + Quote(program) + " left as it was");
    if (!options.signCommand.empty() && !CarriesStamp(staging.PathOf(SetupFile::kInstaller), stamp))
        return Refuse("the signed setup.exe no longer carries its stamp where the installer finds it; " + Quote(program) +
                      " left as it was");
    std::string failed;
    if (!staging.Commit(failed)) return Refuse("cannot write " + Quote(program));
    if (ShowsSummary(options.verbosity))
        std::printf("%s: stamped with %zu entries\n", PathToUtf8(program).c_str(), stamp.entries.size());
    return kExitOk;
}

int VerifyStamp(const fs::path& setupDir, Verbosity verbosity)
{
    const fs::path program = setupDir / SetupFile::kInstaller;
    std::error_code ec;
    if (!fs::exists(program, ec)) return kExitOk;
    std::string image, error;
    if (!ReadFileBytes(program, image)) return Refuse("cannot read " + Quote(program));
    SetupStamp expected, actual;
    std::size_t start = 0;
    switch (ReadProgramStamp(image, expected, start)) {
    case ProgramStamp::kNone: return kExitOk;
    case ProgramStamp::kNotAProgram: return Refuse(Quote(program) + " is no Windows program");
    case ProgramStamp::kDamaged: return Refuse(Quote(program) + ": its stamp is damaged");
    case ProgramStamp::kFound: break;
    }
    if (!ComputeStamp(SetupDirInputs(setupDir), actual, error)) return Refuse(error);
    const std::string differs = FirstDifference(expected, actual);
    if (!differs.empty()) return Refuse(PathToUtf8(setupDir) + " differs from its stamp: " + differs);
    if (ShowsSummary(verbosity))
        std::printf("%s: every input matches the stamp of %s\n", PathToUtf8(setupDir).c_str(),
                    SetupFile::kInstaller);
    return kExitOk;
}
