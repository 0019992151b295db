// The uninstall log's names as the profile functions match them, for the log's writer and its
// reader alike.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// A lead byte of a double-byte character in the ANSI code page: its trail byte may look like "]",
// "=" or a backslash, and is none of them.
inline bool IsAnsiLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != FALSE;
}

// A text in the ANSI code page as UTF-16.
std::wstring Widened(std::string_view text);

// A section's or key's name folded for comparison: names match without regard to case, by
// Unicode simple case mapping of the name's characters in the ANSI code page.
std::wstring FoldName(std::string_view name);

// n of a name "file<n>" as "%d" writes a non-negative int (no sign, no leading zero), the name
// folded; -1 for any other name.
long long FileKeyNumber(const std::wstring& folded);

// Whether two texts in the ANSI code page are the same without regard to case, compared as the
// file system and the registry compare names: ordinal, with simple upper-case folding.
bool SameFolded(std::string_view a, std::string_view b);
