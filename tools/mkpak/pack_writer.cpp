#include "pack_writer.h"

#include "pack_format.h"
#include "written_file.h"
#include "zip_window.h"

#include <zip.h>
#include <zlib.h>

namespace {

constexpr std::size_t kBufferSize = 65536;
// Every member carries 1980-01-01 00:00:00 (DOS date 0x0021, time 0), so that equal input gives
// an equal package. The installer ignores member times.
constexpr uLong kFixedDosDate = 0x00210000;

// Streams a source file through a buffer, checking that it still has the size it was scanned with.
class CSourceReader {
public:
    CSourceReader(const ProductFile& file) : m_file(file), m_pFile(OpenFile(file.source, "rb")) {}
    ~CSourceReader()
    {
        if (m_pFile) std::fclose(m_pFile);
    }
    bool IsOpen() const { return m_pFile != nullptr; }
    // Bytes read into `buffer`; 0 at the end. `error` is set on a read error or a size change.
    size_t Read(unsigned char* buffer, size_t size, std::string& error)
    {
        size_t n = std::fread(buffer, 1, size, m_pFile);
        m_nRead += n;
        if (n == 0 && std::ferror(m_pFile)) error = "\"" + m_file.strDisplay + "\": read error";
        else if (m_nRead > m_file.nSize || (n == 0 && m_nRead != m_file.nSize))
            error = "\"" + m_file.strDisplay + "\" changed size while it was being packed";
        return error.empty() ? n : 0;
    }

private:
    const ProductFile& m_file;
    FILE* m_pFile;
    std::uint64_t m_nRead = 0;
};

std::string MemberName(const std::string& entryName)
{
    return entryName.substr(entryName.rfind('\\') + 1);
}

}  // namespace

CPackWriter::CPackWriter(int level) : m_nLevel(level), m_input(kBufferSize), m_output(kBufferSize) {}

CPackWriter::~CPackWriter()
{
    Abandon();
}

bool CPackWriter::Fail(const std::string& message)
{
    if (m_strError.empty()) m_strError = message;
    return false;
}

bool CPackWriter::Create(const fs::path& path)
{
    Abandon();
    m_path = path;
    m_tempPath = path;
    m_tempPath += ".partial";
    m_nEnd = 0;
    m_pFile = OpenFile(m_tempPath, "w+b");
    return m_pFile != nullptr || Fail("cannot create \"" + PathToUtf8(m_tempPath) + "\"");
}

bool CPackWriter::AddFile(const ProductFile& file, CProgress& progress, PackedEntry& packed)
{
    PackEntryHeader header;
    if (!m_pFile || !SetEntryName(header, file.strName.c_str())) return Fail("\"" + file.strDisplay + "\": bad name");
    SetEntrySize(header, 0);
    std::uint64_t archiveSize = 0, dataSize = 0;
    bool stored = m_nLevel == 0;
    if (!WriteArchive(file, !stored, &progress, archiveSize, dataSize)) return false;
    // Deflated data at least as large as the file: write the archive again, stored. Its data is
    // no larger, so it ends at or before the deflated one; Finish cuts what lies beyond the last.
    if (!stored && dataSize >= file.nSize) {
        stored = true;
        if (!WriteArchive(file, false, nullptr, archiveSize, dataSize)) return false;
    }
    if (archiveSize > kPackMaxEntrySize)
        return Fail("\"" + file.strDisplay + "\": its archive is larger than a package entry holds (4 GiB)");
    SetEntrySize(header, static_cast<std::uint32_t>(archiveSize));
    if (!SeekFile(m_pFile, m_nEnd) || std::fwrite(&header, 1, sizeof header, m_pFile) != sizeof header)
        return Fail("cannot write \"" + PathToUtf8(m_tempPath) + "\"");
    m_nEnd += kPackHeaderSize + archiveSize;
    packed.nPackedSize = archiveSize;
    packed.bStored = stored;
    progress.FileDone();
    return true;
}

bool CPackWriter::WriteArchive(const ProductFile& file, bool deflate, CProgress* progress,
                               std::uint64_t& archiveSize, std::uint64_t& dataSize)
{
    CSourceReader source(file);
    if (!source.IsOpen()) return Fail("\"" + file.strDisplay + "\": cannot open");

    ZipWindow window;
    window.pFile = m_pFile;
    window.nBase = m_nEnd + kPackHeaderSize;
    window.bWritable = true;
    zlib_filefunc64_def functions = MakeWindowFunctions(window);
    zipFile zip = zipOpen2_64("entry", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip) return Fail("cannot write \"" + PathToUtf8(m_tempPath) + "\"");

    zip_fileinfo info{};
    info.dosDate = kFixedDosDate;
    // Raw mode: mkpak deflates itself, so it learns the deflated size and can fall back to storing.
    int level = deflate ? m_nLevel : 0;
    int rc = zipOpenNewFileInZip4_64(zip, MemberName(file.strName).c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                     deflate ? Z_DEFLATED : 0, level, 1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr,
                                     0, 0, 0, 0);
    z_stream z{};
    bool deflating = deflate && rc == ZIP_OK;
    if (deflating && deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        rc = ZIP_INTERNALERROR;

    std::string error;
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t total = 0;
    dataSize = 0;
    bool end = false;
    while (rc == ZIP_OK && !end) {
        size_t n = source.Read(m_input.data(), m_input.size(), error);
        if (!error.empty()) break;
        end = n == 0;
        crc = crc32(crc, m_input.data(), static_cast<uInt>(n));
        total += n;
        if (progress) progress->AddBytes(n);
        if (!deflate) {
            if (n) rc = zipWriteInFileInZip(zip, m_input.data(), static_cast<unsigned>(n));
            dataSize += n;
            continue;
        }
        z.next_in = m_input.data();
        z.avail_in = static_cast<uInt>(n);
        int zrc;
        do {
            z.next_out = m_output.data();
            z.avail_out = static_cast<uInt>(m_output.size());
            zrc = ::deflate(&z, end ? Z_FINISH : Z_NO_FLUSH);
            if (zrc == Z_STREAM_ERROR) rc = ZIP_INTERNALERROR;
            size_t produced = m_output.size() - z.avail_out;
            if (produced) rc = zipWriteInFileInZip(zip, m_output.data(), static_cast<unsigned>(produced));
            dataSize += produced;
        } while (rc == ZIP_OK && (z.avail_in > 0 || (end && zrc != Z_STREAM_END)));
    }
    if (deflating) deflateEnd(&z);
    if (rc == ZIP_OK && error.empty()) rc = zipCloseFileInZipRaw64(zip, total, crc);
    if (zipClose(zip, nullptr) != ZIP_OK && rc == ZIP_OK) rc = ZIP_ERRNO;
    if (!error.empty()) return Fail(error);
    if (rc != ZIP_OK || window.bFailed) return Fail("cannot write \"" + PathToUtf8(m_tempPath) + "\"");
    archiveSize = window.nSize;
    return true;
}

bool CPackWriter::Complete()
{
    if (!m_pFile) return Fail("no package is open");
    bool ok = CloseWrittenFile(m_pFile);
    m_pFile = nullptr;
    std::error_code ec;
    if (ok) fs::resize_file(m_tempPath, m_nEnd, ec);
    if (!ok || ec) {
        Fail("cannot write \"" + PathToUtf8(m_path) + "\"");
        Abandon();
        return false;
    }
    return true;
}

void CPackWriter::Release()
{
    m_tempPath.clear();
}

void CPackWriter::Abandon()
{
    if (m_pFile) std::fclose(m_pFile);
    m_pFile = nullptr;
    if (!m_tempPath.empty()) {
        std::error_code ec;
        fs::remove(m_tempPath, ec);
        m_tempPath.clear();
    }
}
