// The files of a product folder, as the package will hold them.
#pragma once

#include "system.h"

#include <cstdint>
#include <string>
#include <vector>

struct ProductFile {
    fs::path source;
    std::string strName;     // the entry name: code-page bytes, "\" between levels
    std::string strDisplay;  // the relative path as UTF-8 with "/", for messages
    std::uint64_t nSize = 0;
};

struct ProductScan {
    std::vector<ProductFile> files;     // in byte order of the entry names
    std::vector<std::string> problems;  // each names a file; any one means no package
    std::vector<std::string> skipped;   // not regular files, left out
    std::uint64_t nTotalBytes = 0;
};

// Every regular file below `folder` (symbolic links to files are followed, links to folders are
// not descended into), with its entry name in `codePage`. Files whose name cannot travel, that are
// too large for an entry, or that Windows would take for another file are reported in `problems`.
ProductScan ScanProductFolder(const fs::path& folder, unsigned codePage);
