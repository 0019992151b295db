// A zip archive that lives inside the package: minizip's file functions over a window of an open
// stream, so that an entry's archive is written in place and read in place, with offsets counted
// from the archive's first byte (as they are once the installer has copied it out on its own).
#pragma once

#include <ioapi.h>

#include <cstdint>
#include <cstdio>

struct ZipWindow {
    FILE* pFile = nullptr;
    std::uint64_t nBase = 0;        // the archive's first byte in the stream
    std::uint64_t nSize = 0;        // readable bytes; for writing, the high-water mark
    bool bWritable = false;
    std::uint64_t nPos = 0;         // relative to nBase
    std::uint64_t nStreamPos = ~0ull;  // where the stream stands, to spare needless seeks
    bool bFailed = false;
};

// Functions for zipOpen2_64 and unzOpen2_64 over `window`; the path those take is ignored.
zlib_filefunc64_def MakeWindowFunctions(ZipWindow& window);
