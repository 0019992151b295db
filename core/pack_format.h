// The package file: a flat sequence of entries, each a 268-byte header followed by `size` bytes
// of data (a complete zip archive holding the entry's file). No file header, no count, no
// checksum. This header is shared by the installer and the package tool and uses nothing of Win32.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kPackNameField = 264;   // NUL-terminated name, padded with NULs
constexpr std::size_t kPackMaxNameLength = kPackNameField - 1;
constexpr std::size_t kPackHeaderSize = 268;  // name field + 32-bit size
constexpr std::uint64_t kPackMaxEntrySize = 0xFFFFFFFFull;

struct PackEntryHeader {
    char name[kPackNameField];
    unsigned char size[4];  // unsigned, little-endian
};
static_assert(sizeof(PackEntryHeader) == kPackHeaderSize, "the header is 268 bytes on disk");

std::uint32_t GetEntrySize(const PackEntryHeader& header);
void SetEntrySize(PackEntryHeader& header, std::uint32_t size);

// The name as stored, when its field holds a terminating NUL; nullptr for a field without one.
const char* GetEntryName(const PackEntryHeader& header);
// Stores `name` NUL-padded to the whole field, so that equal names give equal header bytes.
// False, with the field left as it was, for a name longer than kPackMaxNameLength.
bool SetEntryName(PackEntryHeader& header, const char* name);

// Why a name is refused, for messages; kNone for an acceptable name.
enum class EntryNameFault {
    kNone,
    kEmpty,           // empty, or an empty last component
    kTooLong,         // more bytes than the name field holds
    kColon,           // a colon anywhere
    kParent,          // a ".." component
    kDeviceName,      // a reserved device name as a component
    kTrailingDotOrSpace,
};
EntryNameFault CheckEntryName(const char* name);
const char* DescribeEntryNameFault(EntryNameFault fault);

// Whether an entry name may be installed: it must name a file below the destination directory,
// and the very file that the uninstall log will name. Windows takes "/" as a separator as well as
// "\", so both split components here. Refused: an empty name or an empty last component, a ".."
// component, a colon anywhere (drive letters, alternate data streams), a reserved device name as
// a component (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with or without an extension),
// and a component that ends in a dot or a space (Windows drops those, so the name on disk would
// differ from the one logged). A name longer than the name field is refused too; the reader never
// meets one.
bool IsAcceptableEntryName(const char* name);
