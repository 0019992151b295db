#include "pack_reader.h"

#include "pack_format.h"
#include "zip_window.h"

#include <unzip.h>
#include <zlib.h>

namespace {

constexpr std::size_t kBufferSize = 65536;

}  // namespace

CPackReader::CPackReader() : m_buffer(kBufferSize) {}

CPackReader::~CPackReader()
{
    if (m_pFile) std::fclose(m_pFile);
}

bool CPackReader::Open(const fs::path& path)
{
    if (m_pFile) std::fclose(m_pFile);
    m_pFile = OpenFile(path, "rb");
    m_nPos = 0;
    m_bEnded = false;
    if (!m_pFile || !SeekFileEnd(m_pFile)) return false;
    m_nFileSize = TellFile(m_pFile);
    return true;
}

bool CPackReader::ReadNext(bool verify, PackEntryInfo& entry)
{
    if (!m_pFile || m_bEnded || m_nPos == m_nFileSize) return false;
    entry = PackEntryInfo();
    entry.nOffset = m_nPos;
    PackEntryHeader header;
    if (m_nFileSize - m_nPos < kPackHeaderSize) {
        // The installer ignores such a tail; a package that mkpak wrote never has one.
        entry.strFault = std::to_string(m_nFileSize - m_nPos) + " stray bytes after the last entry";
        m_bEnded = true;
        return true;
    }
    if (!SeekFile(m_pFile, m_nPos) || std::fread(&header, 1, sizeof header, m_pFile) != sizeof header) {
        entry.strFault = "read error";
        m_bEnded = true;
        return true;
    }
    const char* name = GetEntryName(header);
    entry.strName = name ? name : std::string(header.name, kPackNameField);
    entry.nPackedSize = GetEntrySize(header);
    m_nPos += kPackHeaderSize + entry.nPackedSize;
    if (m_nPos > m_nFileSize) {
        entry.strFault = "the package ends " + std::to_string(m_nPos - m_nFileSize) +
                         " bytes before the entry's data does";
        m_bEnded = true;
        return true;
    }
    if (!name) entry.strFault = "the name field has no terminating NUL";
    else if (EntryNameFault fault = CheckEntryName(name); fault != EntryNameFault::kNone)
        entry.strFault = std::string("the installer refuses the name: it ") + DescribeEntryNameFault(fault);
    else InspectArchive(verify, entry);
    return true;
}

void CPackReader::InspectArchive(bool verify, PackEntryInfo& entry)
{
    ZipWindow window;
    window.pFile = m_pFile;
    window.nBase = entry.nOffset + kPackHeaderSize;
    window.nSize = entry.nPackedSize;
    zlib_filefunc64_def functions = MakeWindowFunctions(window);
    unzFile zip = unzOpen2_64("entry", &functions);
    if (!zip) {
        entry.strFault = "the data is not a zip archive";
        return;
    }
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        entry.strFault = "the archive has no member";
    } else if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
        entry.strFault = "the member uses compression method " + std::to_string(info.compression_method) +
                         ", which the installer cannot read";
    } else {
        entry.nInstalledSize = info.uncompressed_size;
    }
    if (!verify || !entry.strFault.empty()) {
        unzClose(zip);
        return;
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        entry.strFault = "the member cannot be opened";
        unzClose(zip);
        return;
    }
    std::uint64_t total = 0;
    int n;
    while ((n = unzReadCurrentFile(zip, m_buffer.data(), static_cast<unsigned>(m_buffer.size()))) > 0)
        total += static_cast<unsigned>(n);
    int closed = unzCloseCurrentFile(zip);
    if (n < 0) entry.strFault = "the member's data is corrupt (after " + std::to_string(total) + " bytes)";
    else if (total != info.uncompressed_size)
        entry.strFault = "the member holds " + std::to_string(total) + " bytes, its archive declares " +
                         std::to_string(info.uncompressed_size);
    else if (closed == UNZ_CRCERROR) entry.strFault = "CRC mismatch";
    else if (closed != UNZ_OK) entry.strFault = "the member cannot be read";
    unzClose(zip);
}
