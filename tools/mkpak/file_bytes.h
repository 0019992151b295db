// Whole small files (scripts, templates, pictures) read and written at once. Writing goes through
// a temporary file beside the target, so a failed write leaves the old file as it was.
#pragma once

#include "system.h"

#include <string>

bool ReadFileBytes(const fs::path& path, std::string& bytes);
bool WriteFileBytes(const fs::path& path, const std::string& bytes);
