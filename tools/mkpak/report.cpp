#include "report.h"

#include "commands.h"

#include <cstdio>

int Refuse(const std::string& message)
{
    std::fprintf(stderr, "mkpak: %s\n", message.c_str());
    return kExitFailed;
}

std::string Quote(const fs::path& path)
{
    return "\"" + PathToUtf8(path) + "\"";
}
