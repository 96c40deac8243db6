#!/usr/bin/env python3
"""Checks what the shipped player draws, headless, against frames that
`velorina-tool render` draws of variants of the shipped world's description.

    shipped_frames_check.py PLAYER TOOL WORLD_JSON MEDIA_DIR WORK_DIR

- The spheres with identifier 5 have turned a quarter turn after one second of
  fixed-step time: the player's frame at 1 s matches, around each of them, the
  description with those spheres turned by pi/2 better than the unturned one, and
  its first frame matches the unturned one.
- The dance shows frames 1, 2, 3 at steps of 300 ms: around the stick figure the
  player's frames just after each step match the description with that frame's
  texts, and nothing changes between the steps.
"""

import copy
import json
import math
import os
import struct
import subprocess
import sys

WIDTH, HEIGHT = 1024, 768
STEP_MS = 10

DANCE = [
    [" o ", " o ", " o "],
    ["^|\\", "^|^", "v|^"],
    [" /\\", " >\\", "/< "],
]


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert (width, abs(height), bits) == (WIDTH, HEIGHT, 24), (path, width, height, bits)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(HEIGHT):
        source = HEIGHT - 1 - y if height > 0 else y
        rows.append(data[offset + source * stride: offset + source * stride + width * 3])
    return rows


def project(p):
    """Screen position of a scene point for the camera at the origin looking along +z."""
    x, y, z = p
    return WIDTH / 2 * (1 + 0.75 * x / z), HEIGHT / 2 * (1 - y / z)


def box_around(position, radius):
    cx, cy = project(position)
    rx = WIDTH / 2 * 0.75 * radius / position[2]
    ry = HEIGHT / 2 * radius / position[2]
    return int(cx - rx), int(cy - ry), int(cx + rx), int(cy + ry)


def difference(a, b, box):
    """Mean absolute difference of the colour bytes inside the box."""
    x0, y0, x1, y1 = box
    total, count = 0, 0
    for y in range(max(0, y0), min(HEIGHT, y1)):
        ra, rb = a[y], b[y]
        for i in range(max(0, x0) * 3, min(WIDTH, x1) * 3):
            total += abs(ra[i] - rb[i])
            count += 1
    return total / max(count, 1)


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def main():
    player, tool, world_json, media, work = sys.argv[1:6]
    os.makedirs(work, exist_ok=True)
    world = json.load(open(world_json))

    def shot(frames):
        path = os.path.join(work, f"shot-{frames}.bmp")
        run(player, "--headless", "--device", "software", "--fixed-step", str(STEP_MS), "--frames", str(frames),
            "--screenshot", path)
        return read_bmp(path)

    def render(name, description):
        json_path = os.path.join(work, name + ".json")
        wad = os.path.join(work, name + ".wad")
        picture = os.path.join(work, name + ".bmp")
        json.dump(description, open(json_path, "w"))
        run(tool, "scene", "build", json_path, "-o", wad, "--media-dir", media)
        run(tool, "render", wad, "--device", "software", "--out", picture)
        return read_bmp(picture)

    failures = []
    spheres = [o["record"] for o in world["objects"] if o["kind"] == "sphere" and o["record"].get("ID") == 5]
    texts = {o["record"]["ID"]: o["record"] for o in world["objects"] if o["kind"] == "text"}
    assert len(spheres) == 4 and sorted(texts) == [1, 2, 3], "the shipped world lost its spheres or texts"

    # The turning spheres.
    turned = copy.deepcopy(world)
    for o in turned["objects"]:
        if o["kind"] == "sphere" and o["record"].get("ID") == 5:
            o["record"]["Angles"] = [0, math.pi / 2, 0]
    still, quarter = render("still", world), render("quarter", turned)
    first, after_second = shot(1), shot(1000 // STEP_MS)
    for s in spheres:
        box = box_around(s["Position"], s["Scale"][0] * 0.7)
        at_start, start_to_quarter = difference(first, still, box), difference(first, quarter, box)
        to_quarter, to_still = difference(after_second, quarter, box), difference(after_second, still, box)
        print(f"sphere at {s['Position']}: first frame vs unturned {at_start:.2f}, vs quarter turn "
              f"{start_to_quarter:.2f}; after 1 s vs quarter turn {to_quarter:.2f}, vs unturned {to_still:.2f}")
        # The first frame comes 10 ms in, turned by 0.9 degrees.
        if not (4 * at_start + 1 < start_to_quarter and 4 * to_quarter + 1 < to_still):
            failures.append(f"the sphere at {s['Position']} has not turned a quarter turn after one second")

    # The dance: frame k is shown from k * 300 ms on.
    figure = (0, 0, 0, 0)
    for record in texts.values():
        x0, y0, x1, y1 = box_around(record["Position"], record["Scale"][1])
        figure = (min(figure[0], x0) if figure[2] else x0, min(figure[1], y0) if figure[3] else y0,
                  max(figure[2], x1), max(figure[3], y1))
    references = []
    for frame in range(3):
        variant = copy.deepcopy(world)
        for o in variant["objects"]:
            if o["kind"] == "text":
                o["record"]["Text"] = DANCE[o["record"]["ID"] - 1][frame]
        references.append(render(f"dance-{frame + 1}", variant))
    for frame in range(3):
        checks = [("just after", shot((frame + 1) * 300 // STEP_MS + 1))]
        if frame == 0:
            checks.append(("just before the next step after", shot(600 // STEP_MS - 1)))
        for when, picture in checks:
            distances = [difference(picture, r, figure) for r in references]
            print(f"{when} step {frame + 1}: figure vs dance frames 1-3: " + ", ".join(f"{d:.2f}" for d in distances))
            best = min(range(3), key=lambda i: distances[i])
            if best != frame or distances[frame] > 2:
                failures.append(f"{when} step {frame + 1} the figure shows dance frame {best + 1}, not {frame + 1}")
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
