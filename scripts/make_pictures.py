#!/usr/bin/python3
"""Writes the two pictures of the main window as uncompressed 24-bit BMP files into app/res/.

Run with Debian's /usr/bin/python3; it needs no extra modules:
    /usr/bin/python3 scripts/make_pictures.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "app", "res")

# The choke symbol, 15 x 9: a black frame; inside, on white, the wire along the sixth row comes in
# from both sides and rises into two adjoining half-loops whose tops reach the third row.
CHOKE = [
    "XXXXXXXXXXXXXXX",
    "X.............X",
    "X...XXX.XXX...X",
    "X..X...X...X..X",
    "X..X...X...X..X",
    "XXXX...X...XXXX",
    "X.............X",
    "X.............X",
    "XXXXXXXXXXXXXXX",
]
CHOKE_COLOURS = {"X": (0, 0, 0), ".": (255, 255, 255)}

# The help button's glyph, 16 x 14: a black pointer arrow and a dark-blue question mark on light grey.
# The bottom-left pixel is the grey, which the button takes as its transparent colour.
HELP = [
    "................",
    ".X.......BBBBB..",
    ".XX.....BB...BB.",
    ".XXX....BB...BB.",
    ".XXXX........BB.",
    ".XXXXX......BB..",
    ".XXXXXX....BB...",
    ".XXXXXXX...BB...",
    ".XXXXX.....BB...",
    ".XX.XX..........",
    ".X...XX....BB...",
    "......XX...BB...",
    "......XX........",
    "................",
]
HELP_COLOURS = {"X": (0, 0, 0), "B": (0, 0, 132), ".": (212, 208, 200)}


def bmp_bytes(rows, colours):
    """An uncompressed 24-bit BMP: rows stored bottom-up, blue-green-red, each padded to 4 bytes."""
    height = len(rows)
    width = len(rows[0])
    assert all(len(r) == width for r in rows)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            r, g, b = colours[ch]
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return file_header + info_header + bytes(pixels)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, rows, colours in (("choke.bmp", CHOKE, CHOKE_COLOURS), ("help.bmp", HELP, HELP_COLOURS)):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(bmp_bytes(rows, colours))


if __name__ == "__main__":
    main()
