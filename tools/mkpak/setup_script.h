// Editing the installation script the way the Windows profile functions read it, while keeping
// every line that is not changed byte for byte (comments, spacing, line endings, other sections).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using IniKeys = std::vector<std::pair<std::string, std::string>>;

// Sets each key of `keys` in `section` of the INI text `text`. Section and key names match
// without regard to case, as Windows matches them, and the first match is the one Windows reads,
// so it is the one changed: its spelling and everything up to its "=" are kept. A missing key is
// added after the section's last non-blank line; a missing section is added at the end. New
// lines take the text's own line ending ("\r\n" for an empty text).
std::string SetIniKeys(const std::string& text, const std::string& section, const IniKeys& keys);

// The script's keys that the package decides: the number of entries and the space the
// installation needs.
IniKeys MakePackageKeys(std::uint64_t totalFiles, std::uint64_t needSpaceMiB);

// "needspace" in MiB, rounded up: each file in whole 4 KiB clusters (the usual NTFS cluster), plus
// the largest entry archive, which lies beside its file on the destination until it is unpacked.
// Never less than the installed size, so an installation that passes the installer's space check
// does not run out of room on its last file.
std::uint64_t ComputeNeedSpaceMiB(const std::vector<std::uint64_t>& fileSizes, std::uint64_t largestArchive);
