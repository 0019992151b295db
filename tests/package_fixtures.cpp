#include "package_fixtures.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "pack_format.h"
#include "test_support.h"

namespace {

template <typename AddMembers>
std::string BuildZip(AddMembers addMembers)
{
    ScratchDir dir;
    const std::string path = dir / "made.zip";
    zipFile zf = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (zf == nullptr) return std::string();
    addMembers(zf);
    zipClose(zf, nullptr);
    return ReadWholeFile(path);
}

}  // namespace

std::string MakeZip(const std::vector<ZipMember>& members)
{
    return BuildZip([&](zipFile zf) {
        for (const ZipMember& m : members) {
            zip_fileinfo info{};
            zipOpenNewFileInZip(zf, m.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                m.deflated ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION);
            zipWriteInFileInZip(zf, m.data.data(), static_cast<unsigned>(m.data.size()));
            zipCloseFileInZip(zf);
        }
    });
}

std::string MakeRawDeflateZip(const std::string& compressed, std::uint32_t statedSize,
                              std::uint32_t crc)
{
    return BuildZip([&](zipFile zf) {
        zip_fileinfo info{};
        zipOpenNewFileInZip2(zf, "member.bin", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                             Z_DEFAULT_COMPRESSION, 1);
        zipWriteInFileInZip(zf, compressed.data(), static_cast<unsigned>(compressed.size()));
        zipCloseFileInZipRaw(zf, statedSize, crc);
    });
}

std::string Deflate(const std::string& data, bool finish)
{
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, finish ? Z_FINISH : Z_FULL_FLUSH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::uint32_t Crc32(const std::string& data)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string SampleBytes(std::size_t length, unsigned seed)
{
    std::string s(length, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>('a' + (x >> 16) % 26);
    }
    return s;
}

std::string PackEntry(const std::string& name, const std::string& data)
{
    PackEntryHeader header{};
    std::memcpy(header.name, name.data(), std::min(name.size(), kPackMaxNameLength));
    SetEntrySize(header, static_cast<std::uint32_t>(data.size()));
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + data;
}
