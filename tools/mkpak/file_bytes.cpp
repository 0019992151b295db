#include "file_bytes.h"

#include "written_file.h"

bool ReadFileBytes(const fs::path& path, std::string& bytes)
{
    bytes.clear();
    FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteFileBytes(const fs::path& path, const std::string& bytes)
{
    fs::path temp = path;
    temp += ".partial";
    FILE* f = OpenFile(temp, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = CloseWrittenFile(f) && ok;
    if (ok && RenameOver(temp, path)) return true;
    std::error_code ec;
    fs::remove(temp, ec);
    return false;
}
