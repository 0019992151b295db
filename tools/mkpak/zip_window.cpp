#include "zip_window.h"

#include "system.h"

#include <algorithm>

namespace {

ZipWindow& Window(voidpf stream)
{
    return *static_cast<ZipWindow*>(stream);
}

bool Position(ZipWindow& w)
{
    std::uint64_t wanted = w.nBase + w.nPos;
    if (w.nStreamPos == wanted) return true;
    if (!SeekFile(w.pFile, wanted)) {
        w.bFailed = true;
        w.nStreamPos = ~0ull;
        return false;
    }
    w.nStreamPos = wanted;
    return true;
}

voidpf ZCALLBACK OpenWindow(voidpf opaque, const void*, int)
{
    ZipWindow& w = Window(opaque);
    w.nPos = 0;
    w.nStreamPos = ~0ull;
    return opaque;
}

uLong ZCALLBACK ReadWindow(voidpf, voidpf stream, void* buffer, uLong size)
{
    ZipWindow& w = Window(stream);
    if (w.nPos >= w.nSize || !Position(w)) return 0;
    std::uint64_t n = std::min<std::uint64_t>(size, w.nSize - w.nPos);
    size_t got = std::fread(buffer, 1, static_cast<size_t>(n), w.pFile);
    w.nPos += got;
    w.nStreamPos += got;
    return static_cast<uLong>(got);
}

uLong ZCALLBACK WriteWindow(voidpf, voidpf stream, const void* buffer, uLong size)
{
    ZipWindow& w = Window(stream);
    if (!w.bWritable || !Position(w)) return 0;
    size_t put = std::fwrite(buffer, 1, size, w.pFile);
    if (put != size) w.bFailed = true;
    w.nPos += put;
    w.nStreamPos += put;
    w.nSize = std::max(w.nSize, w.nPos);
    return static_cast<uLong>(put);
}

ZPOS64_T ZCALLBACK TellWindow(voidpf, voidpf stream)
{
    return Window(stream).nPos;
}

long ZCALLBACK SeekWindow(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    // The offset is unsigned: unzip finds the end of the archive with (0, SEEK_END) and reads
    // back from there with absolute positions, so no seek can reach before the window.
    ZipWindow& w = Window(stream);
    std::uint64_t from = origin == ZLIB_FILEFUNC_SEEK_CUR ? w.nPos : origin == ZLIB_FILEFUNC_SEEK_END ? w.nSize : 0;
    w.nPos = from + offset;
    return 0;
}

int ZCALLBACK CloseWindow(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK WindowError(voidpf, voidpf stream)
{
    return Window(stream).bFailed ? 1 : 0;
}

}  // namespace

zlib_filefunc64_def MakeWindowFunctions(ZipWindow& window)
{
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenWindow;
    functions.zread_file = ReadWindow;
    functions.zwrite_file = WriteWindow;
    functions.ztell64_file = TellWindow;
    functions.zseek64_file = SeekWindow;
    functions.zclose_file = CloseWindow;
    functions.zerror_file = WindowError;
    functions.opaque = &window;
    return functions;
}
