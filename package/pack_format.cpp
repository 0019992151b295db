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

bool IsAcceptableComponent(const std::string& component, bool last)
{
    if (component.empty()) return !last;  // doubled separators collapse; a trailing one names no file
    if (component == "..") return false;
    char end = component.back();
    if (end == '.' || end == ' ') return false;
    return !IsReservedDeviceName(component);
}

}  // namespace

bool IsAcceptableEntryName(const char* name)
{
    if (name == nullptr || *name == '\0' || std::strchr(name, ':') != nullptr) return false;
    std::string component;
    for (const char* p = name;; ++p) {
        if (*p == '\0' || IsSeparator(*p)) {
            bool last = *p == '\0';
            if (!IsAcceptableComponent(component, last)) return false;
            if (last) return true;
            component.clear();
        } else {
            component += *p;
        }
    }
}
