// Entry names are stored in the installing machine's ANSI code page. mkpak sees names as UTF-8
// and converts them with the platform's own converter: iconv on Linux, the Windows conversion
// functions on Windows.
#pragma once

#include <string>

bool IsKnownCodePage(unsigned codePage);
// True when every character of `utf8` has a byte sequence in `codePage` that converts back to it
// (no best-fit substitutes such as "a" for "ä"); the bytes are in `out`. False for invalid UTF-8.
bool ConvertToCodePage(const std::string& utf8, unsigned codePage, std::string& out);
// For display only: the bytes of a stored name as UTF-8; bytes the code page does not define
// come out as "?".
std::string ConvertFromCodePage(const std::string& bytes, unsigned codePage);
