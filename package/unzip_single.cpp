#include "unzip_single.h"

#include <unzip.h>

#include <cstdio>

#include "written_file.h"

bool UnzipSingleFile(LPCSTR zipPath, LPCSTR outPath, ULONGLONG* written)
{
    if (written != nullptr) *written = 0;
    unzFile zip = unzOpen(zipPath);
    if (zip == nullptr) return false;
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        unzClose(zip);
        return false;
    }
    std::FILE* out = std::fopen(outPath, "wb");
    if (out == nullptr) {
        unzClose(zip);  // also ends the open member
        return false;
    }

    char buffer[0x4000];
    bool ok = true;
    int count;
    while ((count = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) {
        const auto length = static_cast<std::size_t>(count);
        if (std::fwrite(buffer, 1, length, out) != length) {
            ok = false;
            break;
        }
        if (written != nullptr) *written += length;
    }
    if (count < 0) ok = false;  // corrupt compressed data, or the archive could not be read
    // The checksum is compared only when the stated size was reached, so a deflate stream that ends
    // early would otherwise pass: unzeof tells whether it was.
    if (ok && unzeof(zip) != 1) ok = false;
    if (!CloseWrittenFile(out)) ok = false;
    if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;  // UNZ_CRCERROR
    unzClose(zip);
    return ok;
}
