// The demonstration's pictures: PNG files read back with zlib, and a window copied off the screen.
#include "png_file.h"
#include "window_picture.h"

#include "test_support.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace {

std::uint32_t BigEndian(const std::string& bytes, size_t at)
{
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// Reads back a PNG as WritePng lays it out (IHDR, one IDAT, IEND), checking every chunk's CRC;
// the pixels are the rows without their filter bytes, which must all be 0.
::testing::AssertionResult ReadPng(const std::string& path, int& width, int& height,
                                   std::vector<std::uint8_t>& rgb)
{
    const std::string file = ReadWholeFile(path);
    if (file.compare(0, 8, std::string("\x89PNG\r\n\x1A\n", 8)) != 0)
        return ::testing::AssertionFailure() << "no PNG signature";
    std::string idat, header;
    std::vector<std::string> types;
    for (size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = BigEndian(file, at);
        if (at + 12 + length > file.size()) return ::testing::AssertionFailure() << "chunk past the end";
        const std::string type = file.substr(at + 4, 4);
        const std::string data = file.substr(at + 8, length);
        const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(file.data() + at + 4), 4 + length);
        if (BigEndian(file, at + 8 + length) != crc)
            return ::testing::AssertionFailure() << "bad CRC in chunk " << type;
        types.push_back(type);
        if (type == "IHDR") header = data;
        if (type == "IDAT") idat += data;
        at += 12 + length;
    }
    if (types != std::vector<std::string>{"IHDR", "IDAT", "IEND"})
        return ::testing::AssertionFailure() << "unexpected chunks";
    width = static_cast<int>(BigEndian(header, 0));
    height = static_cast<int>(BigEndian(header, 4));
    if (header.substr(8) != std::string("\x08\x02\x00\x00\x00", 5))
        return ::testing::AssertionFailure() << "not 8-bit RGB without interlace";
    std::vector<std::uint8_t> raw((static_cast<size_t>(width) * 3 + 1) * height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()),
                   static_cast<uLong>(idat.size())) != Z_OK || rawSize != raw.size())
        return ::testing::AssertionFailure() << "image data does not inflate to its rows";
    rgb.clear();
    for (int y = 0; y < height; ++y) {
        auto row = raw.begin() + (static_cast<size_t>(width) * 3 + 1) * y;
        if (*row != 0) return ::testing::AssertionFailure() << "row " << y << " is filtered";
        rgb.insert(rgb.end(), row + 1, row + 1 + width * 3);
    }
    return ::testing::AssertionSuccess();
}

TEST(PngFile, ReadsBackAsWritten)
{
    ScratchDir dir;
    // Three columns and two rows, every byte different, so that a swapped channel, row or column
    // shows.
    std::vector<std::uint8_t> rgb(3 * 2 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 13 + 1);
    ASSERT_TRUE(WritePng(dir / "a.png", 3, 2, rgb));
    int width = 0, height = 0;
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(ReadPng(dir / "a.png", width, height, back));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(back, rgb);
}

TEST(PngFile, RefusesPixelsThatDoNotFitTheSize)
{
    ScratchDir dir;
    EXPECT_FALSE(WritePng(dir / "short.png", 3, 2, std::vector<std::uint8_t>(17)));
    EXPECT_FALSE(WritePng(dir / "empty.png", 0, 2, {}));
    EXPECT_FALSE(FileExists(dir / "short.png"));
    EXPECT_FALSE(WritePng(dir / "missing\\folder.png", 1, 1, {1, 2, 3}));
}

LRESULT CALLBACK OrangeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH orange = CreateSolidBrush(RGB(250, 140, 20));
        FillRect(reinterpret_cast<HDC>(wParam), &rc, orange);
        DeleteObject(orange);
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(WindowPicture, CopiesTheWindowOffTheScreen)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OrangeWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WindowPictureTest";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "WindowPictureTest", "", WS_POPUP | WS_VISIBLE, 40, 50,
                                120, 80, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    UpdateWindow(hwnd);
    // Let the display catch up with the painting before the copy.
    for (int i = 0; i < 20; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
    ScratchDir dir;
    const bool bSaved = SaveWindowPicture(hwnd, dir / "w.png");
    DestroyWindow(hwnd);
    ASSERT_TRUE(bSaved);
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    ASSERT_TRUE(ReadPng(dir / "w.png", width, height, rgb));
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 80);
    // Every corner and the middle are the window's own colour.
    for (auto [x, y] : {std::pair{0, 0}, {119, 0}, {0, 79}, {119, 79}, {60, 40}}) {
        const size_t at = (static_cast<size_t>(y) * width + x) * 3;
        EXPECT_EQ(rgb[at], 250) << x << "," << y;
        EXPECT_EQ(rgb[at + 1], 140) << x << "," << y;
        EXPECT_EQ(rgb[at + 2], 20) << x << "," << y;
    }
}

}  // namespace
