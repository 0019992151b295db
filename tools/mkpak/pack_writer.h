// Writes a package: one entry per file, each a 268-byte header and a complete zip archive whose
// one member holds the file's bytes. Archives are written in place inside the package through a
// fixed buffer, so memory stays the same whatever the size of the files. The package is built
// under a temporary name beside its final one, which its caller moves into place when all of its
// output is complete.
#pragma once

#include "product_scan.h"
#include "progress.h"
#include "system.h"

#include <cstdint>
#include <string>
#include <vector>

struct PackedEntry {
    std::uint64_t nPackedSize = 0;  // the entry archive's size, as the header records it
    bool bStored = false;           // stored because deflating did not make it smaller
};

class CPackWriter {
public:
    // `level`: zlib's deflate level, 1 to 9; 0 stores every file.
    explicit CPackWriter(int level);
    ~CPackWriter();
    CPackWriter(const CPackWriter&) = delete;
    CPackWriter& operator=(const CPackWriter&) = delete;

    bool Create(const fs::path& path);
    bool AddFile(const ProductFile& file, CProgress& progress, PackedEntry& packed);
    // Completes the package but leaves it under its temporary name (the final name with
    // ".partial"), for the caller to move into place with the rest of its output.
    bool Complete();
    // Hands the completed temporary file over to the caller, to move or remove.
    void Release();
    // Removes the unfinished package; the final name is left as it was.
    void Abandon();
    const std::string& Error() const { return m_strError; }

private:
    bool WriteArchive(const ProductFile& file, bool deflate, CProgress* progress, std::uint64_t& archiveSize,
                      std::uint64_t& dataSize);
    bool Fail(const std::string& message);

    int m_nLevel;
    FILE* m_pFile = nullptr;
    fs::path m_path, m_tempPath;
    std::uint64_t m_nEnd = 0;  // where the next entry's header goes
    std::string m_strError;
    std::vector<unsigned char> m_input, m_output;
};
