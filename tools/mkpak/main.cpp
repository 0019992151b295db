#include "commands.h"

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

// The wide entry point: arguments arrive as UTF-16 whatever the ANSI code page, so product
// folders with any name can be given. mkpak works on UTF-8 from here on.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(n > 0 ? n : 1), '\0');
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &arg[0], n, nullptr, nullptr);
        arg.resize(arg.size() - 1);
        args.push_back(arg);
    }
    return RunMkpak(args);
}
#else
int main(int argc, char** argv)
{
    return RunMkpak(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
