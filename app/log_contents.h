// What the uninstaller takes from the uninstall log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "afxstr.h"

struct LogEntry {
    int index = 0;     // n of its key "file<n>"
    std::string path;  // as the log holds it
};

struct LogContents {
    std::string product;           // "product" of section [uninstall]; empty when missing
    std::string uninstallKey;      // "uninstallkey" of section [registry]: the Apps & features entry
    bool bHasCount = false;        // "filenum" was there (a completed installation)
    std::vector<LogEntry> entries;  // in index order, each index once, no empty path
};

// Reads the log at `path` in one pass: the values that GetPrivateProfileStringA would return for
// "product" in section "uninstall", "uninstallkey" in section "registry", and for "filenum" and "file0", "file1", ... in section "files".
// Only the first section of each name counts, and in it the first line of each key, as with the
// profile functions. The entries are file0 up to "filenum" - 1 when "filenum" is there (a missing
// one among them is passed over), else file0 up to the first missing key.
//
// The entries are held in memory, since they are removed last first: about 100 bytes for each
// (2 MB for 20,000 files), whatever the log's other content. False when the file cannot be read.
bool ReadLogContents(LPCSTR path, LogContents& contents);

// The product's name as the uninstaller shows it (and Apps & features lists it): the log's
// "product", else the name of the destination's own folder. `destDir` has no trailing backslash.
CString ShownProductName(const std::string& logProduct, const CString& destDir);
