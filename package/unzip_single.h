// UnzipSingleFile: decompresses the first member of an entry archive into the target file.
#pragma once

#include <windows.h>

// Decompresses the first member of the zip archive at `zipPath` (stored or deflated) into
// `outPath`, created or truncated. `outPath` is touched only after the archive and its first member
// have opened. True only when the whole member arrived intact and was written: a damaged member
// (corrupt data, a stream that stops short of the stated size, a checksum mismatch) or a write or
// close that failed yields false, and the output keeps what was decompressed before the fault.
// The archive is never deleted. `written`, when given, receives the number of bytes written.
bool UnzipSingleFile(LPCSTR zipPath, LPCSTR outPath, ULONGLONG* written = nullptr);
