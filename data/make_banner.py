#!/usr/bin/env python3
"""Writes data/banner.bmp: the 180 x 20 picture at the top right of the main window.

A 24-bit Windows bitmap of exactly 10854 bytes (54 bytes of headers, then 20 rows of 540 bytes,
bottom row first, blue-green-red): a deep blue to teal band with "TRELVIN 2 RS232" in a small
pixel font and a thin light rule beneath it.
"""
import pathlib
import struct

WIDTH, HEIGHT = 180, 20
ROW_BYTES = WIDTH * 3            # 540, already a multiple of four: no row padding

# 5 x 7 glyphs, one string per row, '#' set.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    " ": ["....."] * 7,
}


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def main():
    left, right = (0x14, 0x2A, 0x5C), (0x0E, 0x7C, 0x86)     # RGB: deep blue to teal
    pixels = [[mix(left, right, x / (WIDTH - 1)) for x in range(WIDTH)] for _ in range(HEIGHT)]
    text = "TRELVIN 2  RS232"
    x0, y0 = 12, 5
    for i, ch in enumerate(text):
        for gy, row in enumerate(GLYPHS[ch]):
            for gx, cell in enumerate(row):
                if cell == "#":
                    pixels[y0 + gy][x0 + i * 6 + gx] = (0xF4, 0xF6, 0xF8)
    for x in range(12, WIDTH - 12):                               # rule under the text
        pixels[15][x] = mix(pixels[15][x], (0xFF, 0xC8, 0x3C), 0.8)

    body = bytearray()
    for y in reversed(range(HEIGHT)):                              # bottom row first
        for r, g, b in pixels[y]:
            body += bytes((b, g, r))
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    data = header + info + body
    assert len(data) == 10854
    out = pathlib.Path(__file__).with_name("banner.bmp")
    out.write_bytes(data)
    print(f"wrote {out} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
