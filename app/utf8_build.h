// Which code page the vendor's texts and names are read in. A build for UTF-8 (its manifest sets
// UTF-8 as the program's ANSI code page) takes the script, the log template and the package's names
// as UTF-8; a Windows that does not honour that setting (before Windows 10 version 1903) runs it in
// the machine's own code page, where such bytes would name other letters.
#pragma once

#include <windows.h>

#include <string>

// Whether this program's manifest sets UTF-8 as its ANSI code page.
bool BuiltForUtf8();

// Whether the vendor's UTF-8 would be misread here: a build for UTF-8 that runs in another code page.
bool Utf8Misread();

// Whether `text` has a byte beyond ASCII: text that a code page other than UTF-8 reads otherwise.
bool HasNonAscii(const char* text, std::size_t length);

// Whether the file at `path` has a byte beyond ASCII; false when it cannot be read.
bool FileHasNonAscii(LPCSTR path);

// UTF-8 `text` in the ANSI code page (letters it cannot write become "?"), for a build for the
// machine's code page that reads a file marked as UTF-8.
std::string Utf8ToAnsi(const std::string& text);
