// The stamp as the package tool makes and reads it: digests of a setup directory's inputs, put
// into (or read from) a setup.exe.
#pragma once

#include "setup_stamp.h"
#include "system.h"

#include <string>

// The files that the stamp covers; an empty path, or a file that does not exist, is stamped as
// absent. The package must exist.
struct StampInputs {
    fs::path script, logTemplate, face, package;
};
// The inputs of the setup directory `dir` under their own names.
StampInputs SetupDirInputs(const fs::path& dir);

// Hashes every input; false with the reason when one cannot be read or the package is cut short.
bool ComputeStamp(const StampInputs& inputs, SetupStamp& stamp, std::string& error);

// The first input in which `actual` differs from `expected`, named as the installer names it
// ("setup.ini", "data.pak: NAME", ...); empty when they agree.
std::string FirstDifference(const SetupStamp& expected, const SetupStamp& actual);

// Finds the stamp of a program's bytes; `start` is where it begins.
ProgramStamp ReadProgramStamp(const std::string& image, SetupStamp& stamp, std::size_t& start);

// Whether a program's bytes carry a stamp, sound or damaged.
bool IsStamped(const std::string& image);

// Whether the program file at `program` carries exactly `stamp` (where the installer finds it).
bool CarriesStamp(const fs::path& program, const SetupStamp& stamp);

class CStaging;
// Stages the installer `program` as the setup directory's setup.exe: stamped with the digests of
// `inputs` when `stamp` is set or it carries a stamp already (which would refuse the inputs as they
// are now), then signed with `signCommand` unless that is empty; the signed program must still
// carry its stamp, `stamped`. False with the reason.
bool StageInstaller(const fs::path& program, const StampInputs& inputs, bool stamp, const std::string& signCommand,
                    CStaging& staging, SetupStamp& stamped, std::string& error);

// Puts `stamp` into the program `image` in place of one it carries, and sets its PE checksum;
// false with the reason for a file that is no program or is signed already (a signature made
// before the stamp would no longer match).
bool StampProgram(std::string& image, const SetupStamp& stamp, std::string& error);
