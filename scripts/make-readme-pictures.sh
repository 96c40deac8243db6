#!/usr/bin/env bash
# Makes the pictures README.md shows, with the programs themselves:
#   data/pictures/shipped-start.png   the shipped world as the player starts it (0.31 s)
#   data/pictures/shipped-dance.png   the same 2.41 s in: spheres turned, dance frame 8
#   data/pictures/shipped-above.png   the shipped world seen from above and behind
#   data/pictures/freedoom2-map01.png Freedoom's MAP01 converted (only where the
#                                     freedoom package is installed)
#   data/examples/first-world/first-world.png  the first-world example
# Every picture is drawn by the software device, so the same build draws the same
# pixels.
#
#   scripts/make-readme-pictures.sh [BUILD_DIR]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
tool=$build/velorina-tool
player=$build/velorina
for program in "$tool" "$player"; do
  [ -x "$program" ] || { echo "make-readme-pictures: $program is missing: build first (make build)" >&2; exit 1; }
done
out=$root/data/pictures
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

# The player draws at its header's display size: a copy of the shipped world with
# a small display, so that the pictures stay small.
"$tool" pack --extract "$player" -o "$work/shipped.wad"
"$tool" pack --archive "$work/shipped.wad" --player "$player" --display 400x300 -o "$work/small"
shot() {  # shot FRAMES FILE: the frame FRAMES x 10 ms after start-up
  "$work/small" --headless --device software --fixed-step 10 --frames "$1" --screenshot "$2" >/dev/null
}
shot 31 "$out/shipped-start.png"
shot 241 "$out/shipped-dance.png"
"$tool" render "$player" --size 400x300 --camera 2,2.2,-1.5 --rotation -0.32,-0.25,0 --device software \
  --out "$out/shipped-above.png"

first=$root/data/examples/first-world
"$tool" scene build "$first/world.json" -o "$work/first.wad" >/dev/null
"$tool" render "$work/first.wad" --size 320x240 --time 1 --device software --out "$first/first-world.png"

freedoom=/usr/share/games/doom/freedoom2.wad
if [ -f "$freedoom" ]; then
  "$tool" doom convert "$freedoom" MAP01 -o "$work/map01.wad" >/dev/null
  "$tool" render "$work/map01.wad" --lump MAP01.D3D --size 400x300 --device software --out "$out/freedoom2-map01.png"
else
  echo "make-readme-pictures: $freedoom not found (apt-get install freedoom): its picture is kept as it is" >&2
fi
ls -l "$out" "$first/first-world.png"
