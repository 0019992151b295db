#include "system.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>

fs::path PathFromUtf8(const std::string& utf8)
{
    return fs::u8path(utf8);
}

std::string PathToUtf8(const fs::path& path)
{
    return path.u8string();
}

FILE* OpenFile(const fs::path& path, const char* mode)
{
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
}

bool SeekFile(FILE* file, std::uint64_t offset)
{
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

bool SeekFileEnd(FILE* file)
{
    return _fseeki64(file, 0, SEEK_END) == 0;
}

std::uint64_t TellFile(FILE* file)
{
    return static_cast<std::uint64_t>(_ftelli64(file));
}

bool RenameOver(const fs::path& from, const fs::path& to)
{
    // _wrename refuses an existing target; MoveFileEx replaces it.
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool IsTerminal(FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

fs::path GetExecutableDir()
{
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    if (length == 0 || length >= 32768) return fs::path();
    return fs::path(std::wstring(path, length)).parent_path();
}

std::string QuoteForShell(const fs::path& path)
{
    return "\"" + PathToUtf8(path) + "\"";  // a Windows path holds no quote
}

int RunShellCommand(const std::string& command)
{
    std::fflush(stdout);
    std::fflush(stderr);
    // cmd /c takes the line after its first and last quote away when it starts with one; a pair
    // of quotes around the whole keeps the command's own.
    const std::wstring wide = PathFromUtf8("\"" + command + "\"").wstring();
    return _wsystem(wide.c_str());
}
