// What mkpak needs of the operating system beyond standard C++: opening a file by a path in any
// script, 64-bit positions, replacing a file in one step, the terminal and the program's folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

// Paths travel through mkpak as UTF-8 (on Windows the command line is read as UTF-16 and
// converted), so a product folder with any name can be packed on either system.
fs::path PathFromUtf8(const std::string& utf8);
std::string PathToUtf8(const fs::path& path);

FILE* OpenFile(const fs::path& path, const char* mode);
bool SeekFile(FILE* file, std::uint64_t offset);
bool SeekFileEnd(FILE* file);
std::uint64_t TellFile(FILE* file);

// Renames `from` over `to`, replacing an existing `to`.
bool RenameOver(const fs::path& from, const fs::path& to);

bool IsTerminal(FILE* stream);
// The folder of the running mkpak executable; empty when it cannot be found.
fs::path GetExecutableDir();

// `path` as one word of the command interpreter that RunShellCommand uses (sh, cmd).
std::string QuoteForShell(const fs::path& path);
// Runs a command line (UTF-8) through the system's command interpreter, its output going where
// mkpak's goes; the exit status, or -1 when it could not be run.
int RunShellCommand(const std::string& command);
