// The lines of a profile (INI) file as the platform's profile functions read them, shared by the
// installer's uninstall log writer and the package tool's script editor. Uses nothing of Win32.
#pragma once

#include <cstddef>
#include <string_view>

enum class ProfileLineKind {
    kBlank,    // nothing but white space
    kComment,  // first character ';'
    kSection,  // "[name]": the name is what lies between "[" and the line's last "]", trimmed
    kKey,      // "name=value" or a bare "name": the name is what precedes the first "=", trimmed
    kNoName,   // "=value": a line whose key name is empty, which no lookup finds
};

struct ProfileLine {
    ProfileLineKind kind = ProfileLineKind::kBlank;
    std::size_t nameBegin = 0;  // offsets into the line
    std::size_t nameEnd = 0;
};

// Whether a byte leads a double-byte character of the file's code page; null for a code page
// without them. A trail byte is never taken for "]".
using LeadBytePredicate = bool (*)(unsigned char);

// The UTF-8 byte-order mark that may open a profile file, before its first line.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// White space, as the profile functions trim it: the controls 9 to 13, ^Z and the space.
bool IsProfileSpace(unsigned char c);

// Whether two section or key names are the same name to the profile functions, which ignore the
// case of ASCII letters.
bool SameProfileName(std::string_view a, std::string_view b);

// Classifies one line, `length` bytes without its line end.
ProfileLine ClassifyProfileLine(const char* line, std::size_t length, LeadBytePredicate isLead = nullptr);

// Lines end at every CR and at every LF (so CR LF ends a line and leaves an empty one, which is
// blank). The offset of the end of the line that starts at `begin`: the first CR or LF, or `size`.
std::size_t ProfileLineEnd(const char* text, std::size_t begin, std::size_t size);
