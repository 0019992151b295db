// Scratch folders, whole files and runs of the built mkpak for the native tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
};

void WriteFile(const fs::path& path, const std::string& bytes);  // creates the parent folders
std::string ReadFile(const fs::path& path);
// The headers of a 64-bit Windows program and nothing else, then `tag`; `signedAt` and
// `signedSize` fill the security directory entry as a signature would.
std::string MinimalProgram(const std::string& tag, std::uint32_t signedAt = 0, std::uint32_t signedSize = 0);
// Bytes that deflate cannot shrink, the same for the same seed.
std::string NoiseBytes(std::size_t size, unsigned seed);

struct RunResult {
    int nExit = -1;
    std::string strOut, strErr;
    long nMaxRssKiB = 0;  // the child's peak resident memory
};
// Runs the built mkpak with `args`, stdout and stderr captured (so neither is a terminal).
RunResult RunMkpakExe(const std::vector<std::string>& args);

struct RawEntry {
    std::string strName;  // up to the NUL
    bool bPaddedWithNul = true;
    std::uint32_t nSize = 0;
    std::uint64_t nOffset = 0;
    std::string strData;
};
// Splits a package by hand, header by header, independently of mkpak's reader.
std::vector<RawEntry> SplitPackage(const std::string& package);

struct ZipMember {
    bool bOk = false;
    std::string strContent;
    int nMethod = -1;
    unsigned long nDosDate = 0;
    int nMembers = 0;
};
// Opens an entry archive from a file of its own with minizip's unzip layer, the way the
// installer does, and reads its first member.
ZipMember UnzipFirstMember(const std::string& archive, const fs::path& scratch);
