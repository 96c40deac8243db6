#!/usr/bin/env bash
# End to end, the shipped player as the build makes it:
#  - headless, its frames show the spheres with identifier 5 turned a quarter turn
#    after one second and the dance at frames 1, 2, 3 every 300 ms
#    (shipped_frames_check.py);
#  - under a virtual X display it opens its window, plays the tune (SDL's disk
#    audio driver writes what it plays to a file, which must not be silent), draws
#    the world, and Escape closes it with status 0.
set -euo pipefail
player=$1
tool=$2
world_json=$3
media=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

SDL_AUDIODRIVER=dummy python3 "$here/shipped_frames_check.py" "$player" "$tool" "$world_json" "$media" "$work/frames"

command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }
cat > "$work/inner.sh" <<INNER
set -u
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" "$player" --windowed --screenshot "$work/window.bmp" &
pid=\$!
wid=""
for i in \$(seq 1 100); do
  wid=\$(xdotool search --name "Velorina 3D Player" 2>/dev/null | head -1 || true)
  [ -n "\$wid" ] && break
  sleep 0.2
done
[ -n "\$wid" ] || { echo "no window titled Velorina 3D Player"; kill \$pid; exit 1; }
sleep 2
xdotool windowactivate --sync "\$wid" key Escape 2>/dev/null || xdotool key Escape
for i in \$(seq 1 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
if kill -0 \$pid 2>/dev/null; then echo "Escape did not close the player"; kill \$pid; exit 1; fi
wait \$pid
INNER
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inner.sh"

python3 - "$work/sound.raw" "$work/window.bmp" <<'PY'
import collections, sys
sound = open(sys.argv[1], "rb").read()
# Silence is one byte value repeated (0 for signed and float samples, 0x80 for
# unsigned bytes); a tune is not.
common = collections.Counter(sound).most_common(1)[0][1] if sound else 0
print(f"sound: {len(sound)} bytes, {len(sound) - common} of them not the commonest value")
if len(sound) < 8192 or len(sound) - common < len(sound) // 4:
    sys.exit("the player played nothing audible")
frame = open(sys.argv[2], "rb").read()
colours = len(set(frame[i:i + 3] for i in range(54, len(frame) - 2, 3 * 97)))
print(f"window frame: {colours} colours sampled")
if colours < 50:
    sys.exit("the window did not show the world")
PY
echo "the shipped player played, danced, turned and closed"
