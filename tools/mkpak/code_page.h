// Entry names are stored in the installer's ANSI code page: UTF-8 for an installer built to run in
// UTF-8, else the installing machines' code page. mkpak sees names as UTF-8 and converts them
// with the platform's own converter: iconv on Linux, the Windows conversion functions on Windows.
#pragma once

#include <string>

constexpr unsigned kUtf8CodePage = 65001;

// A code page names can be stored in: UTF-8, or one the platform converts.
bool IsKnownCodePage(unsigned codePage);
// True when `text` is UTF-8 throughout.
bool IsUtf8(const std::string& text);
// True when every character of `utf8` has a byte sequence in `codePage` that converts back to it
// (no best-fit substitutes such as "a" for "ä"); the bytes are in `out`. False for invalid UTF-8.
bool ConvertToCodePage(const std::string& utf8, unsigned codePage, std::string& out);
// For display only: the bytes of a stored name as UTF-8; bytes the code page does not define
// come out as "?".
std::string ConvertFromCodePage(const std::string& bytes, unsigned codePage);
