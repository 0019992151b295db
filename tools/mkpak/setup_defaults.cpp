#include "setup_defaults.h"

#include "setup_names.h"

#include <cstdint>

namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string MakeDefaultFace()
{
    constexpr std::uint32_t kWidth = 400, kHeight = 60;
    constexpr std::uint32_t kStride = (kWidth * 3 + 3) / 4 * 4;
    constexpr std::uint32_t kPixelOffset = 14 + 40;
    std::string bmp = "BM";
    PutLittleEndian(bmp, kPixelOffset + kStride * kHeight, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, kPixelOffset, 4);
    // BITMAPINFOHEADER
    PutLittleEndian(bmp, 40, 4);
    PutLittleEndian(bmp, kWidth, 4);
    PutLittleEndian(bmp, kHeight, 4);  // positive: rows run bottom-up
    PutLittleEndian(bmp, 1, 2);        // planes
    PutLittleEndian(bmp, 24, 2);       // bits per pixel
    PutLittleEndian(bmp, 0, 4);        // BI_RGB
    PutLittleEndian(bmp, kStride * kHeight, 4);
    PutLittleEndian(bmp, 2835, 4);     // 72 dpi
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 0, 4);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        std::string row;
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            // A band from dark to light blue, left to right; pixels are stored blue, green, red.
            row += static_cast<char>(0x80 + x * 0x7F / (kWidth - 1));
            row += static_cast<char>(0x30 + x * 0x60 / (kWidth - 1));
            row += static_cast<char>(0x10 + y * 0x20 / (kHeight - 1));
        }
        row.resize(kStride, '\0');
        bmp += row;
    }
    return bmp;
}

std::string MakeDefaultLogTemplate()
{
    return "[uninstall]\r\n";
}

std::string MakeDefaultScript(const std::string& product, const std::string& launch, bool uninstaller)
{
    std::string s = "[main]\r\n";
    s += "title=" + product + " Setup\r\n";
    s += "location=C:\\" + product + "\r\n";
    s += "launch=" + launch + "\r\n";
    s += "[shortcut]\r\n";
    s += "group=" + product + "\r\n";
    std::string items;
    int count = 0;
    auto item = [&](const std::string& fileName, const std::string& description) {
        const std::string n = std::to_string(count++);
        items += "item" + n + "FileName=" + fileName + "\r\n";
        items += "item" + n + "Desc=" + description + "\r\n";
    };
    if (!launch.empty()) item(launch, product);
    if (uninstaller) item(SetupFile::kUninstaller, "Uninstall " + product);
    s += "itemnum=" + std::to_string(count) + "\r\n" + items;
    return s;
}
