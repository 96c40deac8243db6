#!/usr/bin/env python3
"""Writes the brick texture of the first-world example: a 32 x 32, 24-bit BMP.

usage: make-first-world-texture.py OUT.bmp
"""
import struct
import sys

SIZE = 32
MORTAR = (150, 150, 140)


def brick(x, y):
    row = y // 8
    shift = 8 if row % 2 else 0
    if y % 8 == 7 or (x + shift) % 16 == 15:
        return MORTAR
    shade = 20 * (((x + shift) // 16 + row) % 2)
    return (170 + shade, 70 + shade // 2, 40)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    rows = []
    for y in reversed(range(SIZE)):  # BMP rows run bottom to top
        rows.append(b"".join(bytes((b, g, r)) for r, g, b in (brick(x, y) for x in range(SIZE))))
    pixels = b"".join(rows)
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    tmp = sys.argv[1] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(header + info + pixels)
    import os
    os.replace(tmp, sys.argv[1])


if __name__ == "__main__":
    main()
