#!/usr/bin/env bash
# End to end under a virtual X display: a packed player shows a world of two
# textured walls; real key presses (xdotool) walk forward and turn, and the frame
# after the walk differs from the frame without one.
set -euo pipefail
tool=$1
player=$2
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
python3 - <<'PY'
import struct
def quad(id, x, z, colors):
    c = [(x - 1, 1, z), (x + 1, 1, z), (x - 1, -1, z), (x + 1, -1, z)]
    return (struct.pack('<i', id) + b''.join(struct.pack('<3f', *p) for p in c) +
            struct.pack('<iBffff', 0, 1, 1, 1, 0, 0) + struct.pack('<4IB', *colors, 0))
s = b'SCENEDEF' + struct.pack('<III', 117, 0, 2)
s += b'\x02' + struct.pack('<h', 0) + quad(1, 0, 6, [0x0000ff, 0x00ff00, 0xff0000, 0xffffff])
s += b'\x02' + struct.pack('<h', 0) + quad(2, 3, 8, [0x00ffff, 0x00ffff, 0xff00ff, 0xff00ff])
s += struct.pack('<I', 0)
open('MAP01.D3D', 'wb').write(s)
PY
"$tool" wad create world.wad MAP01.D3D
"$tool" pack --archive world.wad -o walker --player "$player" --title "Walk test" --display 320x240 --min-y 0 --max-y 0
cat > inner.sh <<'INNER'
set -u
run() {  # run SHOT KEYS...: start the player, press the keys, quit with Escape
  shot=$1; shift
  ./walker --windowed --screenshot "$shot" &
  pid=$!
  wid=""
  for i in $(seq 1 50); do
    wid=$(xdotool search --name "Walk test" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.2
  done
  [ -n "$wid" ] || { echo "no window"; kill $pid; return 1; }
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  sleep 0.5
  for key in "$@"; do
    xdotool keydown "$key"; sleep 0.4; xdotool keyup "$key"
  done
  sleep 0.3
  xdotool key Escape
  for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "Escape did not close the player"; kill $pid; return 1; fi
  wait $pid
}
run still.png || exit 1
run walked.png Up Left || exit 1
INNER
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 640x480x24" bash inner.sh
[ -s still.png ] && [ -s walked.png ] || { echo "no screenshots"; exit 1; }
if cmp -s still.png walked.png; then echo "walking and turning changed nothing on screen"; exit 1; fi
echo "the walk changed the frame"
