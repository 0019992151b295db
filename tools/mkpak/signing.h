// The vendor's own signing command, run on each program before it is shipped.
#pragma once

#include "system.h"

#include <string>

// Runs `command` through the system's command interpreter to sign the program `file`. Each "{in}"
// in it becomes the file's quoted path; each "{out}" the quoted path of a file beside it where the
// command is to write the signed program, which then takes the file's place. A command without
// "{in}" gets the path appended as its last word, and one without "{out}" signs in place. False,
// with the reason, when the command fails or leaves no signed program behind.
bool SignProgram(const std::string& command, const fs::path& file, std::string& error);
