#include "system.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

fs::path PathFromUtf8(const std::string& utf8)
{
    return fs::path(utf8);
}

std::string PathToUtf8(const fs::path& path)
{
    return path.string();
}

FILE* OpenFile(const fs::path& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

bool SeekFile(FILE* file, std::uint64_t offset)
{
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool SeekFileEnd(FILE* file)
{
    return fseeko(file, 0, SEEK_END) == 0;
}

std::uint64_t TellFile(FILE* file)
{
    return static_cast<std::uint64_t>(ftello(file));
}

bool RenameOver(const fs::path& from, const fs::path& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool IsTerminal(FILE* stream)
{
    return isatty(fileno(stream)) != 0;
}

fs::path GetExecutableDir()
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

std::string QuoteForShell(const fs::path& path)
{
    std::string quoted = "'";
    for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunShellCommand(const std::string& command)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
