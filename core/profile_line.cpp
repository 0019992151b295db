#include "profile_line.h"

bool IsProfileSpace(unsigned char c)
{
    return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == 0x20;
}

bool SameProfileName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

ProfileLine ClassifyProfileLine(const char* line, std::size_t length, LeadBytePredicate isLead)
{
    const auto* b = reinterpret_cast<const unsigned char*>(line);
    std::size_t first = 0, last = length;
    while (first < last && IsProfileSpace(b[first])) ++first;
    while (last > first && IsProfileSpace(b[last - 1])) --last;
    ProfileLine result;
    if (first == last) return result;

    if (b[first] == '[') {
        // The last "]" that is a character of its own, not the second byte of one.
        std::size_t close = 0;
        for (std::size_t i = first + 1; i < last; ++i) {
            if (b[i] == ']') close = i + 1;
            else if (isLead != nullptr && isLead(b[i]) && i + 1 < last) ++i;
        }
        if (close != 0) {
            std::size_t nameBegin = first + 1, nameEnd = close - 1;
            while (nameBegin < nameEnd && IsProfileSpace(b[nameBegin])) ++nameBegin;
            while (nameEnd > nameBegin && IsProfileSpace(b[nameEnd - 1])) --nameEnd;
            result.kind = ProfileLineKind::kSection;
            result.nameBegin = nameBegin;
            result.nameEnd = nameEnd;
            return result;
        }
        // Without its "]" the line is a key like any other.
    }
    if (b[first] == ';') {
        result.kind = ProfileLineKind::kComment;
        return result;
    }
    // "=" is below every trail byte of the double-byte code pages: a plain byte scan finds it.
    std::size_t nameEnd = first;
    while (nameEnd < last && b[nameEnd] != '=') ++nameEnd;
    while (nameEnd > first && IsProfileSpace(b[nameEnd - 1])) --nameEnd;
    result.kind = nameEnd == first ? ProfileLineKind::kNoName : ProfileLineKind::kKey;
    result.nameBegin = first;
    result.nameEnd = nameEnd;
    return result;
}

std::size_t ProfileLineEnd(const char* text, std::size_t begin, std::size_t size)
{
    std::size_t i = begin;
    while (i < size && text[i] != '\r' && text[i] != '\n') ++i;
    return i;
}
