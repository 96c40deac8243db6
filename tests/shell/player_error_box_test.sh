#!/usr/bin/env bash
# A player whose world cannot be opened shows an error box under a virtual X
# display that runs no window manager. With the pointer away from the box,
# Return, and in a second run Escape, still closes it; Escape then closes the
# empty player with status 0.
set -euo pipefail
player=$1
for tool in xvfb-run xdotool xwininfo xprop; do
  command -v $tool >/dev/null || { echo "$tool missing: skipped"; exit 77; }
done
inner=$(mktemp)
err=$(mktemp)
trap 'rm -f "$inner" "$err"' EXIT
cat > "$inner" <<INNER
set -u
fail() { echo "\$1"; cat "$err"; kill \$pid 2>/dev/null; exit 1; }
# The box: a top-level dialog window titled DXVelorina.
findBox() {
  for w in \$(xwininfo -root -children 2>/dev/null | grep '"DXVelorina"' | awk '{print \$1}'); do
    xprop -id "\$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG && { echo "\$w"; return; }
  done
}
for key in Return Escape; do
# Keys reach the window under the pointer unless a window holds the focus.
xdotool mousemove 0 0
"$player" --windowed --device software /nonexistent/world.wad 2>"$err" &
pid=\$!
box=
for i in \$(seq 1 100); do
  box=\$(findBox)
  [ -n "\$box" ] && break
  kill -0 \$pid 2>/dev/null || fail "the player ended without an error box"
  sleep 0.1
done
[ -n "\$box" ] || fail "no error box titled DXVelorina"
for i in \$(seq 1 30); do
  xwininfo -id "\$box" >/dev/null 2>&1 || break
  xdotool key \$key 2>/dev/null || true
  sleep 0.1
done
xwininfo -id "\$box" >/dev/null 2>&1 && fail "\$key did not close the error box"
grep -q "/nonexistent/world.wad" "$err" || fail "standard error does not name the world"
for i in \$(seq 1 30); do
  kill -0 \$pid 2>/dev/null || break
  win=\$(xdotool search --onlyvisible --name '^DXVelorina\$' 2>/dev/null | head -1 || true)
  [ -n "\$win" ] && xdotool windowfocus "\$win" 2>/dev/null || true
  xdotool key Escape 2>/dev/null || true
  sleep 0.2
done
kill -0 \$pid 2>/dev/null && fail "Escape did not close the player after the failed start"
wait \$pid || fail "the player did not exit with status 0"
done
INNER
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1024x768x24" bash "$inner"
