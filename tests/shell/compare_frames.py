#!/usr/bin/env python3
"""compare_frames.py A.bmp B.bmp FRACTION [TOLERANCE]: exits 0 when at least
FRACTION of the pixels of two same-sized uncompressed BMP frames differ by at
most TOLERANCE (default 8) in every channel, 1 otherwise (and says how many)."""
import struct
import sys


def load(path):
    data = open(path, 'rb').read()
    if data[:2] != b'BM':
        sys.exit(f'{path}: not a BMP file')
    offset, = struct.unpack('<I', data[10:14])
    width, height, _, bits = struct.unpack('<iiHH', data[18:30])
    return width, height, bits, data[offset:]


a, b = load(sys.argv[1]), load(sys.argv[2])
fraction = float(sys.argv[3])
tolerance = int(sys.argv[4]) if len(sys.argv) > 4 else 8
if a[:3] != b[:3]:
    sys.exit(f'the frames differ in size or depth: {a[:3]} and {b[:3]}')
step = a[2] // 8
pa, pb = a[3], b[3]
pixels = min(len(pa), len(pb)) // step
alike = sum(1 for i in range(pixels)
            if all(abs(pa[i * step + c] - pb[i * step + c]) <= tolerance for c in range(3)))
print(f'{alike} of {pixels} pixels alike ({alike / pixels:.4f})')
sys.exit(0 if alike >= fraction * pixels else 1)
