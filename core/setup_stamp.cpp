#include "setup_stamp.h"

#include <cstring>

#include "pe_image.h"

namespace {

constexpr char kStampMagic[8] = {'S', 'E', 'T', 'U', 'P', 'S', 'U', 'M'};
constexpr std::uint32_t kStampVersion = 1;

void PutNumber(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutFile(std::string& out, const StampedFile& file)
{
    out += static_cast<char>(file.bPresent ? 1 : 0);
    out.append(reinterpret_cast<const char*>(file.digest.data()), file.digest.size());
}

// Reads a body front to back; any read past its end fails every later one.
class Cursor {
public:
    Cursor(const unsigned char* p, std::size_t size) : m_p(p), m_nLeft(size) {}
    bool Number(std::uint64_t& value, int bytes)
    {
        if (!Take(bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(m_p[i - bytes]) << (8 * i);
        return true;
    }
    bool Bytes(void* out, std::size_t n)
    {
        if (!Take(n)) return false;
        std::memcpy(out, m_p - n, n);
        return true;
    }
    bool File(StampedFile& file)
    {
        std::uint64_t present = 0;
        if (!Number(present, 1) || present > 1 || !Bytes(file.digest.data(), file.digest.size())) return false;
        file.bPresent = present == 1;
        return true;
    }
    // Only the zeros of the alignment may follow.
    bool AtPaddedEnd() const
    {
        if (m_nLeft >= 8) return false;
        for (std::size_t i = 0; i < m_nLeft; ++i)
            if (m_p[i] != 0) return false;
        return true;
    }
    std::size_t Left() const { return m_nLeft; }

private:
    bool Take(std::size_t n)
    {
        if (n > m_nLeft) {
            m_nLeft = 0;
            return false;
        }
        m_p += n;
        m_nLeft -= n;
        return true;
    }
    const unsigned char* m_p;
    std::size_t m_nLeft;
};

enum class StampTrailer { kNone, kFound, kDamaged };

// Reads the 16 bytes that end a stamped file's signed part (`end` bytes from its start): no stamp,
// one whose body is `bodyLength` bytes before the trailer, or a trailer that cannot be right.
StampTrailer ReadStampTrailer(const unsigned char* trailer, std::uint64_t end, std::uint64_t& bodyLength)
{
    if (std::memcmp(trailer + 8, kStampMagic, sizeof kStampMagic) != 0) return StampTrailer::kNone;
    Cursor cursor(trailer, 8);
    cursor.Number(bodyLength, 8);
    if (bodyLength == 0 || bodyLength % 8 != 0 || bodyLength > kMaxStampBody || bodyLength + kStampTrailerSize > end)
        return StampTrailer::kDamaged;
    return StampTrailer::kFound;
}

}  // namespace

std::string EncodeStamp(const SetupStamp& stamp)
{
    std::string out;
    PutNumber(out, kStampVersion, 4);
    PutFile(out, stamp.script);
    PutFile(out, stamp.logTemplate);
    PutFile(out, stamp.face);
    PutNumber(out, stamp.nPackageLength, 8);
    PutNumber(out, stamp.entries.size(), 4);
    for (const StampedEntry& entry : stamp.entries) {
        PutNumber(out, entry.strName.size(), 2);
        out += entry.strName;
        out.append(reinterpret_cast<const char*>(entry.digest.data()), entry.digest.size());
    }
    out.append((8 - out.size() % 8) % 8, '\0');
    PutNumber(out, out.size(), 8);
    out.append(kStampMagic, sizeof kStampMagic);
    return out;
}

namespace {

// Parses a body; false when it is not exactly a stamp.
bool DecodeStamp(const unsigned char* body, std::size_t size, SetupStamp& stamp)
{
    Cursor cursor(body, size);
    std::uint64_t version = 0, count = 0;
    if (!cursor.Number(version, 4) || version != kStampVersion || !cursor.File(stamp.script) ||
        !cursor.File(stamp.logTemplate) || !cursor.File(stamp.face) || !cursor.Number(stamp.nPackageLength, 8) ||
        !cursor.Number(count, 4) || count > cursor.Left() / 34)
        return false;
    stamp.entries.clear();
    stamp.entries.resize(count);
    for (StampedEntry& entry : stamp.entries) {
        std::uint64_t length = 0;
        if (!cursor.Number(length, 2) || length == 0 || length > cursor.Left()) return false;
        entry.strName.resize(length);
        if (!cursor.Bytes(&entry.strName[0], length) || !cursor.Bytes(entry.digest.data(), entry.digest.size()))
            return false;
    }
    return cursor.AtPaddedEnd();
}

}  // namespace

ProgramStamp FindProgramStamp(std::uint64_t fileSize, const ProgramBytes& read, SetupStamp& stamp, std::uint64_t& start)
{
    unsigned char head[kPeHeadSize];
    const std::size_t headSize = fileSize < sizeof head ? static_cast<std::size_t>(fileSize) : sizeof head;
    PeLayout layout;
    if (!read(0, head, headSize) || !ReadPeLayout(head, headSize, layout)) return ProgramStamp::kNotAProgram;
    const std::uint64_t end = layout.IsSigned() ? layout.nCertificateOffset : fileSize;
    if (end > fileSize) return ProgramStamp::kDamaged;
    if (end < kStampTrailerSize) return ProgramStamp::kNone;
    unsigned char trailer[kStampTrailerSize];
    std::uint64_t bodyLength = 0;
    if (!read(end - kStampTrailerSize, trailer, sizeof trailer)) return ProgramStamp::kDamaged;
    switch (ReadStampTrailer(trailer, end, bodyLength)) {
    case StampTrailer::kNone: return ProgramStamp::kNone;
    case StampTrailer::kDamaged: return ProgramStamp::kDamaged;
    case StampTrailer::kFound: break;
    }
    start = end - kStampTrailerSize - bodyLength;
    std::vector<unsigned char> body(static_cast<std::size_t>(bodyLength));
    return read(start, body.data(), body.size()) && DecodeStamp(body.data(), body.size(), stamp)
               ? ProgramStamp::kFound
               : ProgramStamp::kDamaged;
}
