#!/usr/bin/env python3
"""Writes a placeholder pair of font resources (FONTDATA/FILLED and OUTLINE) and
their tables (src/scene/objects/FontGlyphTables.cpp): every glyph is a plain box
(filled) or a box frame (outline) as wide as its advance, so that text can be built
and drawn before the generated font is in place. Same payload format as the real
font: u32 length + zlib stream of little-endian int16 (x, y) points, three per
triangle, codes 33..126 in order."""
import struct
import sys
import zlib
from pathlib import Path

ADVANCE = (
    [333, 408, 500, 500, 833, 778, 333, 333, 333, 500, 564, 250, 333, 250, 278]
    + [500] * 10
    + [278, 278, 564, 564, 564, 444, 921]
    + [722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889]
    + [722, 722, 556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611]
    + [333, 278, 333, 469, 500, 333]
    + [444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500, 278, 778]
    + [500, 500, 500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444]
    + [480, 200, 480, 541]
)
assert len(ADVANCE) == 94


def box(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x0, y1), (x1, y0), (x1, y1), (x0, y1)]


def extent(code):
    adv = ADVANCE[code - 33]
    top = 400 + (code % 4) * 100
    return 30, 0, max(adv - 30, 60), top


def filled(code):
    x0, y0, x1, y1 = extent(code)
    points = box(x0, y0, x1, y1)
    if code % 2 == 0:  # a foot under even codes, so glyph sizes differ
        points += [(x0, y0), (x1, y0), ((x0 + x1) // 2, -60)]
    return points


def outline(code):
    x0, y0, x1, y1 = extent(code)
    t = 40
    return (box(x0, y0, x1, y0 + t) + box(x0, y1 - t, x1, y1)
            + box(x0, y0, x0 + t, y1) + box(x1 - t, y0, x1, y1))


def build(make):
    payload = bytearray()
    table = []
    for code in range(33, 127):
        points = make(code)
        table.append((len(payload), len(points)))
        for x, y in points:
            payload += struct.pack('<hh', x, y)
    return bytes(payload), table


def main(root):
    out = []
    for name, make in (('FILLED', filled), ('OUTLINE', outline)):
        payload, table = build(make)
        block = struct.pack('<I', len(payload)) + zlib.compress(payload, 9)
        path = root / 'data/resources/FONTDATA' / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(block)
        out.append((name, table))
    lines = ['// Placeholder tables written by scripts/make-stub-font.py; the generated font replaces them.',
             '#include "scene/objects/FontGlyphTables.h"', '', 'namespace velorina::font_tables {', '']
    for name, table in out:
        var = 'kFilled' if name == 'FILLED' else 'kOutline'
        lines.append(f'const std::array<GlyphEntry, kGlyphCount> {var}{{{{')
        lines += [f'    {{{o}, {c}}},' for o, c in table]
        lines.append('}};')
        lines.append('')
    lines.append('const std::array<std::int16_t, kGlyphCount> kAdvance{{')
    for i in range(0, 94, 16):
        lines.append('    ' + ', '.join(str(a) for a in ADVANCE[i:i + 16]) + ',')
    lines += ['}};', '', '}  // namespace velorina::font_tables', '']
    (root / 'src/scene/objects/FontGlyphTables.cpp').write_text('\n'.join(lines))


if __name__ == '__main__':
    main(Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
