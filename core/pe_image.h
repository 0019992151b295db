// The few places of a Windows program file (PE) that stamping and signing touch: the checksum
// field, the security directory entry and the certificate table it points at. Portable, so that
// the package tool reads them on any system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct PeLayout {
    std::uint32_t nChecksumOffset = 0;       // of the optional header's CheckSum field
    std::uint32_t nSecurityEntryOffset = 0;  // of the security directory entry (offset, size)
    std::uint32_t nCertificateOffset = 0;    // the certificate table's file offset; 0 unsigned
    std::uint32_t nCertificateSize = 0;
    bool IsSigned() const { return nCertificateSize != 0; }
};

// How many bytes of a file's start ReadPeLayout needs at most.
constexpr std::size_t kPeHeadSize = 4096;

// Reads the layout from the first bytes of a program file; false when they are no PE headers.
bool ReadPeLayout(const unsigned char* head, std::size_t size, PeLayout& layout);

// The PE checksum of a whole image, its CheckSum field taken as zero (what the loader and the
// system's own CheckSumMappedFile compute).
std::uint32_t ComputePeChecksum(const std::string& image, std::uint32_t checksumOffset);

// Writes a little-endian 32-bit number into `bytes` at `offset`.
void PutLe32(std::string& bytes, std::size_t offset, std::uint32_t value);
