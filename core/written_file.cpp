#include "written_file.h"

bool CloseWrittenFile(std::FILE* file)
{
    // fclose flushes too, but Wine's msvcrt returns 0 from it even when that flush fails, so the
    // flush is done, and judged, here.
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const bool closed = std::fclose(file) == 0;
    return flushed && closed;
}
