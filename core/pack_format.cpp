#include "pack_format.h"

#include <cctype>
#include <cstring>
#include <string>

std::uint32_t GetEntrySize(const PackEntryHeader& header)
{
    const unsigned char* b = header.size;
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void SetEntrySize(PackEntryHeader& header, std::uint32_t size)
{
    for (int i = 0; i < 4; ++i) header.size[i] = static_cast<unsigned char>(size >> (8 * i));
}

const char* GetEntryName(const PackEntryHeader& header)
{
    return std::memchr(header.name, '\0', kPackNameField) ? header.name : nullptr;
}

bool SetEntryName(PackEntryHeader& header, const char* name)
{
    std::size_t length = std::strlen(name);
    if (length > kPackMaxNameLength) return false;
    std::memset(header.name, 0, kPackNameField);
    std::memcpy(header.name, name, length);
    return true;
}

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsReservedDeviceName(const std::string& component)
{
    // Windows compares the part before the first dot, with trailing spaces dropped.
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

EntryNameFault CheckComponent(const std::string& component, bool last)
{
    // Doubled separators collapse; a trailing one names no file.
    if (component.empty()) return last ? EntryNameFault::kEmpty : EntryNameFault::kNone;
    if (component == "..") return EntryNameFault::kParent;
    char end = component.back();
    if (end == '.' || end == ' ') return EntryNameFault::kTrailingDotOrSpace;
    return IsReservedDeviceName(component) ? EntryNameFault::kDeviceName : EntryNameFault::kNone;
}

}  // namespace

EntryNameFault CheckEntryName(const char* name)
{
    if (name == nullptr || *name == '\0') return EntryNameFault::kEmpty;
    if (std::strlen(name) > kPackMaxNameLength) return EntryNameFault::kTooLong;
    if (std::strchr(name, ':') != nullptr) return EntryNameFault::kColon;
    std::string component;
    for (const char* p = name;; ++p) {
        if (*p == '\0' || IsSeparator(*p)) {
            bool last = *p == '\0';
            EntryNameFault fault = CheckComponent(component, last);
            if (fault != EntryNameFault::kNone || last) return fault;
            component.clear();
        } else {
            component += *p;
        }
    }
}

const char* DescribeEntryNameFault(EntryNameFault fault)
{
    switch (fault) {
    case EntryNameFault::kNone: return "acceptable";
    case EntryNameFault::kEmpty: return "names no file";
    case EntryNameFault::kTooLong: return "is longer than the 263 bytes a package name holds";
    case EntryNameFault::kColon: return "holds a colon";
    case EntryNameFault::kParent: return "has a \"..\" component";
    case EntryNameFault::kDeviceName: return "has a component that is a reserved device name on Windows";
    case EntryNameFault::kTrailingDotOrSpace: return "has a component ending in a dot or a space, which Windows drops";
    }
    return "is refused";
}

bool IsAcceptableEntryName(const char* name)
{
    return CheckEntryName(name) == EntryNameFault::kNone;
}
