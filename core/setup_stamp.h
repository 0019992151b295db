// The stamp: SHA-256 digests of everything the installer reads from its setup directory, carried
// inside setup.exe after everything else of the file and before a signature's certificate table,
// where a signature made afterwards covers it. The package tool writes it; the installer checks
// each input against it before using it.
//
// On disk, 8-byte aligned (a signature's certificate table must start so):
//   body:    u32 version (1)
//            3 x (u8 present, 32-byte digest): setup.ini, uninstall.ini, face.bmp
//            u64 the package's length, u32 its number of entries
//            per entry: u16 name length, the name as stored, 32-byte digest of its header and data
//            zeros up to a multiple of 8
//   trailer: u64 the body's length, 8 bytes kStampMagic
// All numbers little-endian. Portable, so that the package tool builds it on any system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sha256.h"

struct StampedFile {
    bool bPresent = false;
    Sha256Digest digest{};
    bool operator==(const StampedFile& other) const
    {
        return bPresent == other.bPresent && (!bPresent || digest == other.digest);
    }
};

struct StampedEntry {
    std::string strName;  // as stored in the package (code-page bytes)
    Sha256Digest digest{};
};

struct SetupStamp {
    StampedFile script, logTemplate, face;
    std::uint64_t nPackageLength = 0;
    std::vector<StampedEntry> entries;
};

constexpr std::size_t kStampTrailerSize = 16;
// Larger stamps are taken for damage: over a million entries of the longest names.
constexpr std::uint64_t kMaxStampBody = 512ull << 20;

// The stamp's bytes, body and trailer, a multiple of 8 long.
std::string EncodeStamp(const SetupStamp& stamp);

enum class ProgramStamp { kNone, kFound, kDamaged, kNotAProgram };
// Reads `size` bytes at `offset` of a program file; false when it cannot.
using ProgramBytes = std::function<bool(std::uint64_t offset, void* buffer, std::size_t size)>;
// Finds the stamp of a program file of `fileSize` bytes: it ends where a signature's certificate
// table begins, or with the file. `start` is where it begins. A stamp that cannot be right, or a
// certificate table outside the file, is kDamaged.
ProgramStamp FindProgramStamp(std::uint64_t fileSize, const ProgramBytes& read, SetupStamp& stamp,
                              std::uint64_t& start);

