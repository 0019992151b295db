// How the commands name files and report what stops them.
#pragma once

#include "system.h"

#include <string>

// Prints "mkpak: MESSAGE" on stderr; the exit code of a refused or failed command.
int Refuse(const std::string& message);
// A path in double quotes, as messages name files.
std::string Quote(const fs::path& path);
