#!/usr/bin/env python3
"""Writes the three default palettes as compressed blocks (u32 length + zlib
stream at the best compression level) under data/resources/DATA.

Doom: the PLAYPAL lump of Freedoom's freedoom2.wad (Debian package freedoom,
BSD licence). Heretic and Hexen: generated palettes of the right sizes, with the
same structure as the games' own (a base palette, then red, gold and green tints).
"""
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "data", "resources", "DATA")
FREEDOOM = "/usr/share/games/doom/freedoom2.wad"


def read_lump(path, wanted):
    data = open(path, "rb").read()
    _, count, offset = struct.unpack_from("<4sII", data, 0)
    for i in range(count):
        pos, size, name = struct.unpack_from("<II8s", data, offset + 16 * i)
        if name.rstrip(b"\0") == wanted:
            return data[pos:pos + size]
    raise SystemExit(f"{path}: no {wanted!r} lump")


def base_palette(seed):
    """256 colours: 16 ramps of 16 shades over hues chosen by seed."""
    out = bytearray()
    hues = [(seed * 37 + i * 67) % 360 for i in range(16)]
    for ramp in range(16):
        h = hues[ramp] / 60.0
        for shade in range(16):
            v = (shade + 1) / 16.0
            s = 0.0 if ramp == 0 else 0.35 + 0.04 * (ramp % 8)
            c = v * s
            x = c * (1 - abs(h % 2 - 1))
            m = v - c
            r, g, b = [(c, x, 0), (x, c, 0), (0, c, x), (0, x, c), (x, 0, c), (c, 0, x)][int(h) % 6]
            out += bytes(min(255, int(round((ch + m) * 255))) for ch in (r, g, b))
    return out


def tinted(base, tint, amount):
    return bytes(int(round(c + (t - c) * amount)) for i, c in enumerate(base) for t in [tint[i % 3]])


def palette_set(base, extra_sets):
    pals = [bytes(base)]
    for k in range(1, 9):
        pals.append(tinted(base, (255, 0, 0), k / 9.0))
    for k in range(1, 5):
        pals.append(tinted(base, (215, 186, 69), k / 8.0))
    pals.append(tinted(base, (0, 255, 0), 0.125))
    for k in range(extra_sets):
        pals.append(tinted(base, (40 + 8 * k, 60, 255 - 6 * k), 0.05 + 0.03 * k))
    return b"".join(pals)


def block(data):
    return struct.pack("<I", len(data)) + zlib.compress(data, 9)


def main():
    os.makedirs(OUT, exist_ok=True)
    doom = read_lump(FREEDOOM, b"PLAYPAL")
    heretic = palette_set(base_palette(3), 0)
    hexen = palette_set(base_palette(11), 14) + bytes(range(100, 128))
    for name, data, size in (("DEFAULTDOOMPALETTE", doom, 10752),
                             ("DEFAULTHERETICPALETTE", heretic, 10752),
                             ("DEFAULTHEXENPALETTE", hexen, 21532)):
        if len(data) != size:
            raise SystemExit(f"{name}: {len(data)} bytes, expected {size}")
        with open(os.path.join(OUT, name + ".zblk"), "wb") as f:
            f.write(block(data))
    return 0


if __name__ == "__main__":
    sys.exit(main())
