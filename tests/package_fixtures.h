// Zip archives and packages made inside the tests, with minizip's zip layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipMember {
    std::string name;
    std::string data;
    bool deflated = true;
};

// A zip archive holding `members` in this order.
std::string MakeZip(const std::vector<ZipMember>& members);

// A zip archive with one deflated member whose compressed bytes, stated size and CRC-32 are taken
// as given, to make damaged members.
std::string MakeRawDeflateZip(const std::string& compressed, std::uint32_t statedSize,
                              std::uint32_t crc);

// Raw deflate data (no zlib header) for `data`; with `finish` false the stream is flushed to a
// byte boundary but not ended, so more blocks may follow.
std::string Deflate(const std::string& data, bool finish = true);
std::uint32_t Crc32(const std::string& data);

// `length` bytes that vary enough for deflate to keep many of them literal.
std::string SampleBytes(std::size_t length, unsigned seed = 1);

// One package entry: a header naming `name` with the size of `data`, then `data`.
std::string PackEntry(const std::string& name, const std::string& data);
