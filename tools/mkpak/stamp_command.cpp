// mkpak stamp, and the stamp's part of mkpak verify.
#include "commands.h"
#include "file_bytes.h"
#include "report.h"
#include "setup_names.h"
#include "signing.h"
#include "stamp.h"
#include "staging.h"

#include <cstdio>

bool StageInstaller(const fs::path& program, const StampInputs& inputs, bool stamp, const std::string& signCommand,
                    CStaging& staging, SetupStamp& stamped, std::string& error)
{
    std::string image;
    if (!ReadFileBytes(program, image)) return error = "cannot read " + Quote(program), false;
    // A stamped installer is stamped anew: its old stamp would refuse the inputs as they are now.
    stamp = stamp || IsStamped(image);
    if (stamp && !ComputeStamp(inputs, stamped, error)) return false;
    if (stamp && !StampProgram(image, stamped, error)) return error = Quote(program) + " " + error, false;
    const fs::path staged = staging.PathOf(SetupFile::kInstaller);
    if (!staging.Write(SetupFile::kInstaller, image)) return error = "cannot write " + Quote(staged), false;
    if (signCommand.empty()) return true;
    if (!SignProgram(signCommand, staged, error)) return false;
    // A signing tool that moved the stamp would leave an installer that checks nothing.
    if (stamp && !CarriesStamp(staged, stamped))
        return error = "the signed setup.exe no longer carries its stamp where the installer finds it", false;
    return true;
}

int RunStamp(const StampOptions& options)
{
    const fs::path program = options.setupDir / SetupFile::kInstaller;
    CStaging staging(options.setupDir);
    std::string error, failed;
    SetupStamp stamp;
    if (!StageInstaller(program, SetupDirInputs(options.setupDir), true, options.signCommand, staging, stamp, error))
        return Refuse(error + "; " + Quote(program) + " left as it was");
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
