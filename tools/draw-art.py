#!/usr/bin/env python3
"""Draws the project's own pictures: the installer's res/setup.ico (32x32 and 16x16, 16 colours
each) and res/finish.bmp (180x56, 8 bits per pixel, 255 palette colours), the demonstration
product's demo/face.bmp (24 bits per pixel), and a second icon and finish picture for the tests of
a vendor's build (tests/fixtures/vendor.ico, vendor.bmp). Run again to redraw them."""
import math
import os
import struct

REPO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
ROOT = os.path.join(REPO, "res")

# The 16-colour palette of the icons (B, G, R, 0).
PALETTE16 = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
             (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
             (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]


def icon_image(size, arrow=10):
    """A box with a downward arrow: colour indices, row 0 at the top, and a transparency mask."""
    pix, mask = [], []
    for y in range(size):
        row, mrow = [], []
        for x in range(size):
            u, v = x / (size - 1), y / (size - 1)
            inside_box = 0.1 <= u <= 0.9 and 0.45 <= v <= 0.95
            shaft = 0.4 <= u <= 0.6 and 0.05 <= v <= 0.55
            head = v >= 0.45 and v <= 0.75 and abs(u - 0.5) <= (0.75 - v)
            if shaft or head:
                row.append(arrow); mrow.append(0)       # bright green arrow by default
            elif inside_box:
                edge = u < 0.16 or u > 0.84 or v > 0.89 or v < 0.51
                row.append(1 if edge else 3); mrow.append(0)
            else:
                row.append(0); mrow.append(1)           # transparent
        pix.append(row); mask.append(mrow)
    return pix, mask


def dib_4bpp(size, arrow=10):
    pix, mask = icon_image(size, arrow)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE16)
    xor = bytearray()
    for row in reversed(pix):                    # bottom-up rows, each padded to 4 bytes
        line = bytearray()
        for i in range(0, size, 2):
            line.append(row[i] << 4 | row[i + 1])
        line += b"\0" * (-len(line) % 4)
        xor += line
    andm = bytearray()
    for mrow in reversed(mask):
        line = bytearray()
        for i in range(0, size, 8):
            byte = 0
            for j in range(8):
                byte = byte << 1 | (mrow[i + j] if i + j < size else 1)
            line.append(byte)
        line += b"\0" * (-len(line) % 4)
        andm += line
    return header + palette + bytes(xor) + bytes(andm)


def write_icon(path, arrow=10):
    images = [(32, dib_4bpp(32, arrow)), (16, dib_4bpp(16, arrow))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


def blue_to_teal(t):
    return (int(20 + 60 * t), int(40 + 150 * t), int(110 + 120 * t))  # (R, G, B)


def red_to_gold(t):
    return (int(120 + 130 * t), int(20 + 170 * t), int(30 + 40 * t))


def write_banner(path, width=180, height=56, colour=blue_to_teal):
    """A gradient banner with a soft band of light: 255 palette colours."""
    palette = [colour(i / 254) for i in range(255)]
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            t = x / (width - 1)
            glow = math.exp(-((y - height * 0.55) / (height * 0.22)) ** 2) * 0.35
            wave = 0.08 * math.sin(x / 9.0 + y / 5.0)
            row.append(max(0, min(254, int(254 * min(1.0, t * 0.7 + glow + wave + 0.1)))))
        row += b"\0" * (-len(row) % 4)
        rows.append(bytes(row))
    pixels = b"".join(reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 255, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + pixels)


# Block letters, 5 wide and 7 high, for the words on the demonstration picture.
FONT = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    " ": ["00000"] * 7,
}


def write_demo_face(path, width=384, height=150):
    """An evening landscape (sky, sun, two ranges of hills) under the words QUENTHARY DEMO."""
    px = [[(0, 0, 0)] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            t = y / (height - 1)
            r, g, b = int(40 + 200 * t), int(60 + 110 * t), int(140 - 20 * t)   # dusk sky
            d = math.hypot(x - width * 0.78, y - height * 0.62)
            if d < 22:
                r, g, b = 255, 220, 120                                        # the sun
            elif d < 40:
                k = (40 - d) / 18 * 0.5
                r, g, b = int(r + (255 - r) * k), int(g + (200 - g) * k), int(b + (120 - b) * k)
            far = height * 0.70 + 10 * math.sin(x / 37.0) + 6 * math.sin(x / 13.0 + 1)
            near = height * 0.82 + 9 * math.sin(x / 23.0 + 2) + 4 * math.sin(x / 7.0)
            if y > near:
                r, g, b = 30, int(70 + 30 * (y - near) / height), 40
            elif y > far:
                r, g, b = 60, 90, 90
            px[y][x] = (r, g, b)

    def words(text, top, scale, colour, shadow):
        span = len(text) * 6 * scale - scale
        left = (width - span) // 2
        for dx, dy, c in ((2, 2, shadow), (0, 0, colour)):
            for n, ch in enumerate(text):
                for row, bits in enumerate(FONT[ch]):
                    for col, bit in enumerate(bits):
                        if bit == "1":
                            for yy in range(scale):
                                for xx in range(scale):
                                    x = left + (n * 6 + col) * scale + xx + dx
                                    y = top + row * scale + yy + dy
                                    if 0 <= x < width and 0 <= y < height:
                                        px[y][x] = c

    words("QUENTHARY", 18, 5, (255, 244, 214), (40, 30, 60))
    words("DEMO", 62, 3, (255, 214, 150), (40, 30, 60))

    stride = (width * 3 + 3) // 4 * 4
    pixels = b"".join(
        bytes(v for (r, g, b) in px[y] for v in (b, g, r)) + b"\0" * (stride - width * 3)
        for y in reversed(range(height)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + pixels)


if __name__ == "__main__":
    write_icon(os.path.join(ROOT, "setup.ico"))
    write_banner(os.path.join(ROOT, "finish.bmp"))
    write_demo_face(os.path.join(REPO, "demo", "face.bmp"))
    fixtures = os.path.join(REPO, "tests", "fixtures")
    write_icon(os.path.join(fixtures, "vendor.ico"), arrow=9)   # a red arrow
    write_banner(os.path.join(fixtures, "vendor.bmp"), colour=red_to_gold)
