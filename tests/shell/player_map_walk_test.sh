#!/usr/bin/env bash
# End to end under a virtual X display: "velorina freedoom2.wad --map MAP01" opens
# the map in a window titled after it, shows it (the frame is not one colour), and
# real key presses (xdotool) walk forward and turn: the frame after the walk differs
# from the frame without one.
set -euo pipefail
player=$1
wad=/usr/share/games/doom/freedoom2.wad
[ -f "$wad" ] || { echo "the freedoom package is not installed ($wad): skipped"; exit 77; }
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat > inner.sh <<INNER
set -u
run() {  # run SHOT KEYS...: start the player, press the keys, quit with Escape
  shot=\$1; shift
  "$player" "$wad" --map MAP01 --windowed --screenshot "\$shot" &
  pid=\$!
  wid=""
  for i in \$(seq 1 100); do
    wid=\$(xdotool search --name "MAP01 - freedoom2.wad" 2>/dev/null | head -1 || true)
    [ -n "\$wid" ] && break
    sleep 0.2
  done
  [ -n "\$wid" ] || { echo "no window"; kill \$pid; return 1; }
  xdotool windowactivate --sync "\$wid" 2>/dev/null || true
  sleep 0.5
  for key in "\$@"; do
    xdotool keydown "\$key"; sleep 0.4; xdotool keyup "\$key"
  done
  sleep 0.3
  xdotool key Escape
  for i in \$(seq 1 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 \$pid 2>/dev/null; then echo "Escape did not close the player"; kill \$pid; return 1; fi
  wait \$pid
}
run still.bmp || exit 1
run walked.bmp Up Left || exit 1
INNER
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1280x1024x24" bash inner.sh
[ -s still.bmp ] && [ -s walked.bmp ] || { echo "no screenshots"; exit 1; }
# The map is drawn: far from every pixel is the background's black.
python3 - still.bmp <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack('<I', data[10:14])
pixels = data[offset:]
dark = sum(1 for i in range(0, len(pixels) - 2, 3) if max(pixels[i:i + 3]) < 16)
share = dark / (len(pixels) // 3)
print(f'{share:.3f} of the frame is black')
sys.exit(0 if share < 0.5 else 1)
PY
if python3 "$here/compare_frames.py" still.bmp walked.bmp 0.9 >/dev/null; then
  echo "walking and turning changed nothing on screen"; exit 1
fi
echo "the map is shown and the walk changed the frame"
