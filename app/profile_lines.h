// Reading a profile file (the uninstall log's format) once, front to back, line by line, with the
// lines read as the platform's profile functions read them. A walk costs one pass over the file
// whatever its size, where looking every key up with GetPrivateProfileStringA reads the whole file
// again (or, under Wine, searches its whole parsed copy) for each key.
//
// Lines are split and classified by the grammar the installer writes the log with (core's
// profile_line.h), with the ANSI code page's lead bytes, so a "]" that is a trail byte never closes
// a header. A key's value follows its first "=", trimmed, and loses one pair of quotes (" or ')
// that opens and closes it, as GetPrivateProfileStringA returns it; a key line with no "=" has no
// value (the profile functions return the default for it). A UTF-8 byte-order mark at the start
// is skipped.
//
// The reader keeps one read buffer and the line that spans two reads: its memory is that of the
// longest line, not of the file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "log_keys.h"
#include "profile_line.h"

// A section header or key line as the walk delivers it.
struct ProfileEntry {
    bool bSection = false;   // a section header; otherwise a key line
    std::string_view name;   // the section's or the key's name
    std::string_view value;  // a key's value as GetPrivateProfileStringA returns it
    bool bHasValue = false;  // the key line has an "="
};

namespace profile_lines_detail {

// Classifies one line (without its line end); false when it is neither a section header nor a key.
inline bool Classify(std::string_view line, ProfileEntry& out)
{
    ProfileLine classified = ClassifyProfileLine(line.data(), line.size(), IsAnsiLeadByte);
    if (classified.kind != ProfileLineKind::kSection && classified.kind != ProfileLineKind::kKey)
        return false;
    out = ProfileEntry();
    out.bSection = classified.kind == ProfileLineKind::kSection;
    out.name = line.substr(classified.nameBegin, classified.nameEnd - classified.nameBegin);
    if (out.bSection) return true;
    std::size_t eq = line.find('=', classified.nameEnd);
    if (eq == std::string_view::npos) return true;
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && IsProfileSpace(static_cast<unsigned char>(value.front())))
        value.remove_prefix(1);
    while (!value.empty() && IsProfileSpace(static_cast<unsigned char>(value.back())))
        value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    out.value = value;
    out.bHasValue = true;
    return true;
}

}  // namespace profile_lines_detail

// As GetPrivateProfileIntA reads a number: an optional sign and the digits that follow; 0 when
// there are none.
inline long long ProfileInt(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 0x100000000LL; ++i)
        n = n * 10 + (text[i] - '0');
    return negative ? -n : n;
}

// Calls visit(const ProfileEntry&) for every section header and key line of the file at `path`, in
// the file's order, until visit returns false. The views are valid during the call only. False
// when the file could not be opened or read to its end. `marked`, when given, tells whether the
// file opened with a UTF-8 byte-order mark.
template <typename Visit>
bool WalkProfileLines(LPCSTR path, Visit visit, bool* marked = nullptr)
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
        ProfileEntry classified;
        if (Classify(line, classified)) go = visit(static_cast<const ProfileEntry&>(classified));
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
            const bool mark = chunk.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark;
            if (mark) chunk.remove_prefix(kUtf8ByteOrderMark.size());
            if (marked) *marked = mark;
        }
        while (go && !chunk.empty()) {
            std::size_t end = ProfileLineEnd(chunk.data(), 0, chunk.size());
            if (end == chunk.size()) {
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
