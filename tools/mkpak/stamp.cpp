#include "stamp.h"

#include "file_bytes.h"
#include "pack_format.h"
#include "pe_image.h"
#include "setup_names.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool HashFile(const fs::path& path, StampedFile& file, std::string& error)
{
    std::error_code ec;
    file = StampedFile();
    if (path.empty() || !fs::exists(path, ec)) return true;
    FILE* f = OpenFile(path, "rb");
    if (!f) return error = "cannot read \"" + PathToUtf8(path) + "\"", false;
    CSha256 sha;
    std::vector<char> buffer(1 << 16);
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) sha.Update(buffer.data(), n);
    const bool ok = !std::ferror(f) && sha.Finish(file.digest);
    std::fclose(f);
    file.bPresent = true;
    return ok || (error = "cannot read \"" + PathToUtf8(path) + "\"", false);
}

// Every entry's digest over its header and data, read as the installer reads them.
bool HashPackage(const fs::path& path, SetupStamp& stamp, std::string& error)
{
    FILE* f = OpenFile(path, "rb");
    if (!f) return error = "cannot read \"" + PathToUtf8(path) + "\"", false;
    CSha256 sha;
    std::vector<char> buffer(1 << 16);
    std::uint64_t length = 0;
    PackEntryHeader header;
    std::size_t got;
    while ((got = std::fread(&header, 1, sizeof header, f)) == sizeof header) {
        const char* name = GetEntryName(header);
        if (!name || !*name) break;
        StampedEntry entry;
        entry.strName = name;
        sha.Update(&header, sizeof header);
        std::uint64_t left = GetEntrySize(header);
        length += sizeof header + left;
        while (left > 0) {
            const std::size_t want = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
            const std::size_t n = std::fread(buffer.data(), 1, want, f);
            if (n == 0) break;
            sha.Update(buffer.data(), n);
            left -= n;
        }
        if (left > 0 || !sha.Finish(entry.digest)) {
            std::fclose(f);
            return error = "\"" + PathToUtf8(path) + "\" is cut short or cannot be read", false;
        }
        stamp.entries.push_back(std::move(entry));
        got = 0;
    }
    const bool ok = !std::ferror(f) && got < sizeof header;  // a short remainder is no entry
    std::fclose(f);
    stamp.nPackageLength = length + got;
    return ok || (error = "\"" + PathToUtf8(path) + "\" is damaged: an entry without a name", false);
}

std::string EntryInput(const std::string& name)
{
    return std::string(SetupFile::kPackage) + ": " + name;
}

}  // namespace

StampInputs SetupDirInputs(const fs::path& dir)
{
    return {dir / SetupFile::kScript, dir / SetupFile::kLog, dir / SetupFile::kPicture, dir / SetupFile::kPackage};
}

bool ComputeStamp(const StampInputs& inputs, SetupStamp& stamp, std::string& error)
{
    stamp = SetupStamp();
    return HashFile(inputs.script, stamp.script, error) && HashFile(inputs.logTemplate, stamp.logTemplate, error) &&
           HashFile(inputs.face, stamp.face, error) && HashPackage(inputs.package, stamp, error);
}

std::string FirstDifference(const SetupStamp& expected, const SetupStamp& actual)
{
    if (!(expected.script == actual.script)) return SetupFile::kScript;
    if (!(expected.logTemplate == actual.logTemplate)) return SetupFile::kLog;
    if (!(expected.face == actual.face)) return SetupFile::kPicture;
    const std::size_t common = std::min(expected.entries.size(), actual.entries.size());
    for (std::size_t i = 0; i < common; ++i)
        if (expected.entries[i].strName != actual.entries[i].strName ||
            expected.entries[i].digest != actual.entries[i].digest)
            return EntryInput(actual.entries[i].strName);
    if (actual.entries.size() > common) return EntryInput(actual.entries[common].strName);
    if (expected.entries.size() > common) return EntryInput(expected.entries[common].strName);
    if (expected.nPackageLength != actual.nPackageLength) return SetupFile::kPackage;
    return std::string();
}

ProgramStamp ReadProgramStamp(const std::string& image, SetupStamp& stamp, std::size_t& start)
{
    std::uint64_t at = 0;
    const ProgramStamp found = FindProgramStamp(
        image.size(),
        [&image](std::uint64_t offset, void* buffer, std::size_t size) {
            if (offset > image.size() || size > image.size() - offset) return false;
            std::memcpy(buffer, image.data() + offset, size);
            return true;
        },
        stamp, at);
    start = static_cast<std::size_t>(at);
    return found;
}

bool IsStamped(const std::string& image)
{
    SetupStamp stamp;
    std::size_t start = 0;
    const ProgramStamp found = ReadProgramStamp(image, stamp, start);
    return found == ProgramStamp::kFound || found == ProgramStamp::kDamaged;
}

bool CarriesStamp(const fs::path& program, const SetupStamp& stamp)
{
    std::string image;
    SetupStamp found;
    std::size_t start = 0;
    return ReadFileBytes(program, image) && ReadProgramStamp(image, found, start) == ProgramStamp::kFound &&
           EncodeStamp(found) == EncodeStamp(stamp);
}

bool StampProgram(std::string& image, const SetupStamp& stamp, std::string& error)
{
    PeLayout layout;
    if (!ReadPeLayout(reinterpret_cast<const unsigned char*>(image.data()), std::min(image.size(), kPeHeadSize),
                      layout))
        return error = "is no Windows program", false;
    if (layout.IsSigned())
        return error = "is signed already, and a stamp added now would break its signature: stamp the unsigned "
                       "program, then sign it",
               false;
    SetupStamp old;
    std::size_t start = 0;
    if (ReadProgramStamp(image, old, start) == ProgramStamp::kFound) image.resize(start);
    // A certificate table that a signature adds later must start at a multiple of 8, right
    // behind the stamp's trailer.
    image.append((8 - image.size() % 8) % 8, '\0');
    image += EncodeStamp(stamp);
    PutLe32(image, layout.nChecksumOffset, 0);
    PutLe32(image, layout.nChecksumOffset, ComputePeChecksum(image, layout.nChecksumOffset));
    return true;
}
