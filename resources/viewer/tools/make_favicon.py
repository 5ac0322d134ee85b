#!/usr/bin/env python3
"""Writes the viewer's favicon.ico: one 32x32 PNG, a blue rounded square with a
white phone outline, drawn here so the build needs no image files."""
import struct
import sys
import zlib

SIZE = 32
DARK = (0x00, 0x5B, 0x97)
LIGHT = (0x22, 0x7F, 0xBD)
ACCENT = (0x64, 0xC7, 0xEB)
WHITE = (0xFF, 0xFF, 0xFF)


def inside_rounded(x, y, left, top, right, bottom, radius):
    """Whether the pixel centre lies in the rounded rectangle [left, right) x [top, bottom)."""
    cx, cy = x + 0.5, y + 0.5
    if not (left <= cx < right and top <= cy < bottom):
        return False
    nx = min(max(cx, left + radius), right - radius)
    ny = min(max(cy, top + radius), bottom - radius)
    return (cx - nx) ** 2 + (cy - ny) ** 2 <= radius ** 2


def pixel(x, y):
    if not inside_rounded(x, y, 0, 0, SIZE, SIZE, 7):
        return (0, 0, 0, 0)
    t = (x + y) / (2 * SIZE - 2)
    colour = tuple(round(d + (l - d) * t) for d, l in zip(DARK, LIGHT))
    body = inside_rounded(x, y, 10, 5, 22, 27, 3)
    screen = inside_rounded(x, y, 12, 8, 20, 21, 1)
    if body and not screen:
        colour = WHITE
    if 14 <= x <= 17 and 23 <= y <= 24:
        colour = ACCENT
    return colour + (255,)


def png_bytes():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    rows = b"".join(b"\x00" + bytes(c for x in range(SIZE) for c in pixel(x, y)) for y in range(SIZE))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def ico_bytes():
    png = png_bytes()
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(png), 6 + 16)
    return directory + entry + png


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_favicon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(ico_bytes())
