// Writing a picture as a PNG file: 8-bit RGB, no interlace, every row unfiltered and the whole
// image deflated with zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds `height` rows of `width` pixels, top row first, three bytes (red, green, blue) each.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
