// Reads a package entry by entry without copying anything out: each entry's archive is opened in
// place with minizip's unzip layer, as the installer will open it once copied out.
#pragma once

#include "system.h"

#include <cstdint>
#include <string>
#include <vector>

struct PackEntryInfo {
    std::string strName;            // as stored (code-page bytes)
    std::uint64_t nOffset = 0;      // of the entry's header in the package
    std::uint64_t nPackedSize = 0;  // the header's size field
    std::uint64_t nInstalledSize = 0;  // the first member's size, as its archive declares it
    std::string strFault;           // empty for a sound entry
};

class CPackReader {
public:
    CPackReader();
    ~CPackReader();
    CPackReader(const CPackReader&) = delete;
    CPackReader& operator=(const CPackReader&) = delete;

    bool Open(const fs::path& path);
    // The next entry; false at the end of the package. With `verify`, the first member is also
    // decompressed to its end and its CRC and size checked. An entry with a fault that leaves the
    // package's layout in doubt (a cut entry, a stray tail) is the last one returned.
    bool ReadNext(bool verify, PackEntryInfo& entry);

private:
    void InspectArchive(bool verify, PackEntryInfo& entry);

    FILE* m_pFile = nullptr;
    std::uint64_t m_nFileSize = 0, m_nPos = 0;
    bool m_bEnded = false;
    std::vector<unsigned char> m_buffer;
};
