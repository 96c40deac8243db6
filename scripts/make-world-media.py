#!/usr/bin/env python3
"""Makes the media of the shipped world: four 8-bit 128 x 128 BMP textures, one
texture in the program's own BMZ format and the looping dance tune.

    make-world-media.py VELORINA_TOOL OUTPUT_DIR

Everything is computed from fixed seeds, so the same script writes the same bytes
every time. Textures avoid pure black, which the scene keys out as transparent.
The tune is built note by note with `velorina-tool tone` (44,100 Hz) and reduced
to 22,050 Hz 16-bit mono.
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import wave

SIZE = 128


class Lcg:
    """A small linear congruential generator (Numerical Recipes constants)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (1664525 * self.state + 1013904223) & 0xFFFFFFFF
        return self.state / 4294967296.0


def value_noise(seed, cells):
    """Smooth, tileable value noise on a cells x cells lattice, sampled per pixel."""
    rng = Lcg(seed)
    lattice = [[rng.next() for _ in range(cells)] for _ in range(cells)]

    def sample(x, y):
        fx, fy = x * cells / SIZE, y * cells / SIZE
        x0, y0 = int(fx) % cells, int(fy) % cells
        x1, y1 = (x0 + 1) % cells, (y0 + 1) % cells
        tx, ty = fx - int(fx), fy - int(fy)
        sx, sy = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        top = lattice[y0][x0] * (1 - sx) + lattice[y0][x1] * sx
        bottom = lattice[y1][x0] * (1 - sx) + lattice[y1][x1] * sx
        return top * (1 - sy) + bottom * sy

    return sample


def turbulence(seed, x, y, octaves=4):
    total, weight = 0.0, 0.0
    for o in range(octaves):
        total += value_noise_cache(seed + o, 4 << o)(x, y) / (1 << o)
        weight += 1.0 / (1 << o)
    return total / weight


_noise_cache = {}


def value_noise_cache(seed, cells):
    key = (seed, cells)
    if key not in _noise_cache:
        _noise_cache[key] = value_noise(seed, cells)
    return _noise_cache[key]


def ramp(stops):
    """A 256-colour palette through the given (position, (r, g, b)) stops."""
    palette = []
    for i in range(256):
        t = i / 255.0
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                u = 0.0 if p1 == p0 else (t - p0) / (p1 - p0)
                palette.append(tuple(max(8, round(a + (b - a) * u)) for a, b in zip(c0, c1)))
                break
    return palette


def marble():
    palette = ramp([(0.0, (70, 78, 96)), (0.35, (180, 184, 196)), (0.7, (236, 236, 240)), (1.0, (250, 250, 252))])

    def index(x, y):
        v = math.sin((x + y) * 2 * math.pi / SIZE * 2 + 6.0 * turbulence(11, x, y))
        return round((v * 0.5 + 0.5) ** 0.5 * 255)

    return palette, index


def wood():
    palette = ramp([(0.0, (92, 52, 24)), (0.5, (156, 98, 52)), (1.0, (210, 160, 104))])

    def index(x, y):
        dx, dy = (x - SIZE / 2) / SIZE, (y + SIZE * 0.8) / SIZE
        rings = math.hypot(dx, dy) * 6 + 1.2 * turbulence(23, x, y)
        return round((rings - math.floor(rings)) ** 1.5 * 255)

    return palette, index


def planet():
    """Latitude bands, for a sphere whose v runs from pole to pole."""
    palette = ramp([(0.0, (120, 60, 30)), (0.3, (200, 130, 70)), (0.6, (236, 210, 160)), (1.0, (250, 240, 220))])

    def index(x, y):
        band = math.sin(y * 2 * math.pi / SIZE * 5 + 3.0 * turbulence(37, x, y, 3))
        return round((band * 0.5 + 0.5) * 255)

    return palette, index


def floor():
    palette = ramp([(0.0, (40, 44, 60)), (0.5, (120, 126, 150)), (1.0, (220, 220, 230))])

    def index(x, y):
        tile = ((x // 32) + (y // 32)) % 2
        grout = x % 32 in (0, 31) or y % 32 in (0, 31)
        shade = 0.15 * turbulence(41, x, y, 3)
        if grout:
            return 8
        return round(((0.75 if tile else 0.4) + shade) * 255)

    return palette, index


def earth():
    palette = ramp([(0.0, (16, 40, 120)), (0.45, (40, 90, 180)), (0.5, (60, 130, 60)),
                    (0.8, (120, 150, 70)), (1.0, (240, 240, 240))])

    def index(x, y):
        land = turbulence(53, x, y, 4)
        polar = abs(y - SIZE / 2) / (SIZE / 2)
        value = min(1.0, max(0.0, (land - 0.5) * 3.0 + 0.5)) * 0.8
        if polar > 0.85:
            value = 1.0
        return max(0, min(255, round(value * 255)))

    return palette, index


def write_bmp(path, palette, index):
    """An uncompressed 8-bit BMP with a 256-entry colour table, rows bottom-up."""
    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):
        for x in range(SIZE):
            pixels.append(max(0, min(255, index(x, y))))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + table + pixels)


# The tune: A minor, one beat a dance frame (300 ms), sixteen beats = 4.8 s.
MELODY = ["A4", "C5", "E5", "C5", "D5", "F5", "E5", "D5",
          "C5", "E5", "A5", "G5", "F5", "E5", "D5", "E5"]
BASS = ["A2", "A2", "E3", "E3", "D3", "D3", "A2", "A2",
        "A2", "A2", "C3", "C3", "D3", "D3", "E3", "E3"]
BEAT_MS = 300
RATE = 22050


def frequency(note):
    names = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    semitones = names[note[0]] + 12 * (int(note[1:]) - 4)
    return round(440.0 * 2 ** (semitones / 12.0))


def tone_samples(tool, workdir, freq, waveform, duration_ms):
    path = os.path.join(workdir, f"{waveform}-{freq}-{duration_ms}.wav")
    if not os.path.exists(path):
        subprocess.run([tool, "tone", "--frequency", str(freq), "--duration", str(duration_ms),
                        "--waveform", waveform, "--attack", "5", "--decay", "25", "--sustain", "60",
                        "--release", "10", "--adsr", "--quality", "lo", "-o", path], check=True)
    with wave.open(path, "rb") as w:
        assert w.getframerate() == 44100 and w.getsampwidth() == 2 and w.getnchannels() == 1
        raw = w.readframes(w.getnframes())
    samples = struct.unpack(f"<{len(raw) // 2}h", raw)
    # Halve the rate, averaging each pair as a simple low-pass.
    return [(samples[i] + samples[i + 1]) / 2 for i in range(0, len(samples) - 1, 2)]


def write_tune(tool, path):
    beat = RATE * BEAT_MS // 1000
    mix = [0.0] * (beat * len(MELODY))
    with tempfile.TemporaryDirectory() as workdir:
        for i, (lead, bass) in enumerate(zip(MELODY, BASS)):
            for note, waveform, gain, ms in ((lead, "triangle", 0.55, BEAT_MS), (bass, "square", 0.18, BEAT_MS)):
                for k, s in enumerate(tone_samples(tool, workdir, frequency(note), waveform, ms)[:beat]):
                    mix[i * beat + k] += s * gain
    data = struct.pack(f"<{len(mix)}h", *(max(-32768, min(32767, round(s))) for s in mix))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make-world-media.py VELORINA_TOOL OUTPUT_DIR")
    tool, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name, make in (("marble", marble), ("wood", wood), ("planet", planet), ("floor", floor)):
        write_bmp(os.path.join(out, name + ".bmp"), *make())
    with tempfile.TemporaryDirectory() as workdir:
        earth_bmp = os.path.join(workdir, "earth.bmp")
        write_bmp(earth_bmp, *earth())
        subprocess.run([tool, "image", "convert", earth_bmp, os.path.join(out, "earth.bmz"), "--level", "max"],
                       check=True)
    write_tune(tool, os.path.join(out, "velorina.wav"))


if __name__ == "__main__":
    main()
