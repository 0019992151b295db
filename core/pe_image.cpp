#include "pe_image.h"

void PutLe32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

namespace {

std::uint32_t GetLe32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t GetLe16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

bool ReadPeLayout(const unsigned char* head, std::size_t size, PeLayout& layout)
{
    if (size < 0x40 || head[0] != 'M' || head[1] != 'Z') return false;
    const std::uint32_t pe = GetLe32(head + 0x3C);
    const std::size_t optional = static_cast<std::size_t>(pe) + 24;
    if (pe > size || optional + 2 > size || GetLe32(head + pe) != 0x00004550) return false;  // "PE\0\0"
    const std::uint16_t magic = GetLe16(head + optional);
    std::size_t countOffset, directories;
    if (magic == 0x10B) {  // PE32
        countOffset = optional + 92;
        directories = optional + 96;
    } else if (magic == 0x20B) {  // PE32+
        countOffset = optional + 108;
        directories = optional + 112;
    } else {
        return false;
    }
    const std::size_t security = directories + 4 * 8;
    if (security + 8 > size || GetLe32(head + countOffset) < 5) return false;
    layout.nChecksumOffset = static_cast<std::uint32_t>(optional + 64);
    layout.nSecurityEntryOffset = static_cast<std::uint32_t>(security);
    layout.nCertificateOffset = GetLe32(head + security);
    layout.nCertificateSize = GetLe32(head + security + 4);
    if (layout.nCertificateSize == 0) layout.nCertificateOffset = 0;
    return true;
}

std::uint32_t ComputePeChecksum(const std::string& image, std::uint32_t checksumOffset)
{
    std::uint64_t sum = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(image.data());
    const std::size_t size = image.size();
    for (std::size_t i = 0; i < size; i += 2) {
        if (i >= checksumOffset && i < checksumOffset + 4u) continue;
        std::uint32_t word = p[i];
        if (i + 1 < size) word |= p[i + 1] << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + size);
}
