// Whether a program's manifest sets UTF-8 as its ANSI code page ("activeCodePage"), read from the
// manifest's text or from the program's bytes, which hold the manifest as the build wrote it.
// Shared by the installer (its own manifest) and the package tool (the installer it packs for).
#pragma once

#include <string_view>

bool DeclaresUtf8CodePage(std::string_view text);
