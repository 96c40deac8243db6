#!/usr/bin/env bash
# A game map converted and packed into a player starts where the player's own
# opening of the map starts: at player 1's start at eye height. The first headless
# frame of each is compared. MAP07 of freedoom2.wad is used because player 1 faces
# north there: a converted world is only moved, never turned, and a packed player
# looks along +z. MAP01 is converted and packed as the README shows.
set -euo pipefail
tool=$1
player=$2
wad=/usr/share/games/doom/freedoom2.wad
[ -f "$wad" ] || { echo "the freedoom package is not installed ($wad): skipped"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
packed() {  # packed MAP: convert, then pack with the options convert printed
  local line
  line=$("$tool" doom convert "$wad" "$1" -o "$1.wad" | grep '^velorina-tool pack ')
  # shellcheck disable=SC2086
  "$tool" ${line#velorina-tool } -o "$1-player" --player "$player" >/dev/null
  # "-o PLAYER" of the printed line is overridden by the later -o
}
packed MAP07
./MAP07-player --headless --device software --screenshot packed.bmp >/dev/null
"$player" "$wad" --map MAP07 --headless --device software --screenshot direct.bmp >/dev/null
python3 "$here/compare_frames.py" packed.bmp direct.bmp 0.98
packed MAP01
summary=$(./MAP01-player --headless)
echo "$summary"
case "$summary" in *'map "MAP01.D3D"'*) ;; *) echo "the packed MAP01 does not load its map"; exit 1;; esac
