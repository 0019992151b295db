// Reading a profile file (the uninstall log's format) once, front to back, line by line, with the
// lines read as the platform's profile functions read them. A walk costs one pass over the file
// whatever its size, where looking every key up with GetPrivateProfileStringA reads the whole file
// again (or, under Wine, searches its whole parsed copy) for each key.
//
// The lines, as the profile functions see them:
// - a line ends at every CR and every LF; white space (bytes 9 to 13, 0x1A and the space) is
//   trimmed from both ends, and a line left empty is no line;
// - "[name]" is a section header: its name runs to the last "]" of the line, trimmed; whatever
//   follows that "]" is ignored. A "[" with no "]" after it is an ordinary line;
// - a line beginning with ";" is a comment;
// - any other line is a key: its name runs to the first "=", trimmed; the value follows, trimmed,
//   and loses one pair of quotes (" or ') that opens and closes it. A line with no "=" names a
//   key that has no value: GetPrivateProfileStringA returns the default for it.
// A UTF-8 byte-order mark at the start is skipped; the bytes are otherwise taken as they are (the
// log is written in the ANSI code page). A "]" that is the trail byte of a double-byte character
// of that code page never closes a header ("=", ";" and white space never are trail bytes).
//
// The reader keeps one read buffer and the line that spans two reads: its memory is that of the
// longest line, not of the file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

struct ProfileLine {
    bool bSection = false;   // a section header; otherwise a key line
    std::string_view name;   // the section's or the key's name
    std::string_view value;  // a key's value as GetPrivateProfileStringA returns it
    bool bHasValue = false;  // the key line has an "="
};

namespace profile_lines_detail {

inline bool IsSpace(char c)
{
    return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == ' ';
}

inline std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Position of the last `ch` that is a character of its own (not a trail byte), or npos.
inline std::size_t LastCharacter(std::string_view s, char ch)
{
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ch)
            found = i;
        else if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size())
            ++i;
    }
    return found;
}

// Classifies one line (without its line end); false when it is no section header or key.
inline bool Classify(std::string_view line, ProfileLine& out)
{
    line = Trim(line);
    if (line.empty() || line.front() == ';') return false;
    out = ProfileLine();
    if (line.front() == '[') {
        std::size_t close = LastCharacter(line, ']');
        if (close != std::string_view::npos) {
            out.bSection = true;
            out.name = Trim(line.substr(1, close - 1));
            return true;
        }
    }
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        out.name = line;
        return true;
    }
    out.name = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    out.value = value;
    out.bHasValue = true;
    return true;
}

}  // namespace profile_lines_detail

// Calls visit(const ProfileLine&) for every section header and key line of the file at `path`, in
// the file's order, until visit returns false. The views are valid during the call only. False
// when the file could not be opened or read to its end.
template <typename Visit>
bool WalkProfileLines(LPCSTR path, Visit visit)
{
    using namespace profile_lines_detail;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;

    constexpr DWORD kChunk = 0x10000;
    std::string buffer(kChunk, '\0');
    std::string carried;  // the start of a line that the previous read did not finish
    bool first = true;
    bool ok = true;
    bool go = true;
    auto deliver = [&](std::string_view line) {
        ProfileLine classified;
        if (Classify(line, classified)) go = visit(static_cast<const ProfileLine&>(classified));
    };
    while (go) {
        DWORD got = 0;
        if (!ReadFile(file, &buffer[0], kChunk, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        std::string_view chunk(buffer.data(), got);
        if (first) {
            first = false;
            if (chunk.substr(0, 3) == "\xEF\xBB\xBF") chunk.remove_prefix(3);
        }
        while (go && !chunk.empty()) {
            std::size_t end = chunk.find_first_of("\r\n");
            if (end == std::string_view::npos) {
                carried.append(chunk.data(), chunk.size());
                break;
            }
            if (carried.empty()) {
                deliver(chunk.substr(0, end));
            } else {
                carried.append(chunk.data(), end);
                deliver(carried);
                carried.clear();
            }
            chunk.remove_prefix(end + 1);
        }
    }
    if (ok && go && !carried.empty()) deliver(carried);
    CloseHandle(file);
    return ok;
}
