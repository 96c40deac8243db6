#!/usr/bin/env bash
# The packed player opens a window titled with the world's title under a virtual X
# display, and Escape closes it with status 0.
set -euo pipefail
player=$1
title=$2
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "xvfb-run or xdotool missing: skipped"; exit 77; }
inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<INNER
set -u
"$player" --windowed &
pid=\$!
for i in \$(seq 1 50); do
  wid=\$(xdotool search --name "$title" 2>/dev/null | head -1 || true)
  [ -n "\$wid" ] && break
  sleep 0.2
done
[ -n "\$wid" ] || { echo "no window titled $title"; kill \$pid; exit 1; }
# The window may appear before the player takes keys (the keyboard is enabled
# once start-up has succeeded): Escape is pressed again until it is heard.
xdotool windowactivate --sync "\$wid" 2>/dev/null || true
for i in \$(seq 1 20); do
  kill -0 \$pid 2>/dev/null || break
  xdotool key Escape 2>/dev/null || true
  for j in \$(seq 1 5); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
done
if kill -0 \$pid 2>/dev/null; then echo "Escape did not close the player"; kill \$pid; exit 1; fi
wait \$pid
INNER
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1024x768x24" bash "$inner"
