#include "entry_names.h"

#include "code_page.h"
#include "pack_format.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsPlainAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// Characters that a Linux file name may hold and a Windows one may not. A colon is left to the
// installer's own rule, which names it. A backslash inside a component would become a folder level.
const char* FindForbiddenCharacter(const std::string& component)
{
    static char described[32];
    for (unsigned char c : component) {
        if (c < 0x20) {
            std::snprintf(described, sizeof described, "control character 0x%02X", c);
            return described;
        }
        if (std::strchr("<>\"|?*\\", c)) {
            std::snprintf(described, sizeof described, "character '%c'", c);
            return described;
        }
    }
    return nullptr;
}

}  // namespace

bool MakeEntryName(const std::vector<std::string>& components, unsigned codePage, std::string& name,
                   std::string& why)
{
    name.clear();
    for (const std::string& component : components) {
        if (const char* bad = FindForbiddenCharacter(component)) {
            why = std::string("holds a ") + bad + ", which Windows file names cannot hold";
            return false;
        }
        std::string bytes = component;
        if (!IsPlainAscii(component)) {
            if (!ConvertToCodePage(component, codePage, bytes)) {
                why = "cannot be written in code page " + std::to_string(codePage);
                return false;
            }
            // In a double-byte code page a trail byte may equal "\" or "/"; the installer splits
            // names byte by byte and would make folders of the halves.
            if (bytes.find_first_of("\\/") != std::string::npos) {
                why = "has a character whose bytes in code page " + std::to_string(codePage) +
                      " hold a backslash, which the installer would take for a folder separator";
                return false;
            }
        }
        if (!name.empty()) name += '\\';
        name += bytes;
    }
    EntryNameFault fault = CheckEntryName(name.c_str());
    if (fault != EntryNameFault::kNone) {
        why = DescribeEntryNameFault(fault);
        if (fault == EntryNameFault::kTooLong) why += " (" + std::to_string(name.size()) + " bytes)";
        return false;
    }
    return true;
}

std::string FoldEntryName(const std::string& utf8Name)
{
    std::string folded = utf8Name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}
