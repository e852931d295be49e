#!/usr/bin/env bash
# The window layer on a real display: a small program opens a dialog and two boxes on SDL
# under Xvfb; real key presses answer them (Return takes the default Yes, Escape cancels).
# Then a real press on a static takes the mouse capture, and the release below and left of
# it still reaches the static, in its own coordinates. Checks the printed results, the
# exit code, the box's pixels on screen and the dialog's back buffer written as PNG.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
build=${1:?usage: gui_boxes.sh BUILD-DIR}
probe=$build/tests/gui/gui_box_probe
if [ ! -x "$probe" ]; then
  echo "SKIP: $probe is not built"
  exit 0
fi
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed"; exit 0; }
e2e_start_x

work=$(mktemp -d)
cd "$work"
"$probe" >"$work/out.txt" 2>&1 &
E2E_APP_PID=$!

# answer NAME KEY: waits for the box, checks it is drawn, gives it the focus, presses KEY.
answer() {
  local box
  box=$(e2e_wait_window "$1") || { cat "$work/out.txt"; e2e_fail "the box \"$1\" did not appear"; }
  # The box's own light background in its top-left corner: SDL showed the back buffer.
  e2e_expect_pixel "$box" 2 2 240,240,240 "box \"$1\" is drawn"
  xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
  sleep 0.2
  xdotool key "$2"
  echo "answered \"$1\" with $2"
}
answer "Probe question" Return
answer "Probe cancel" Escape

for _ in $(seq 1 50); do grep -q "ready for the mouse" "$work/out.txt" && break; sleep 0.1; done
dlg=$(e2e_wait_window "Box probe") || e2e_fail "the dialog is gone"
e2e_expect_pixel "$dlg" 50 150 0,0,255 "the static is drawn"
xdotool windowfocus --sync "$dlg" 2>/dev/null || true
xdotool mousemove --window "$dlg" 50 150
sleep 0.2
xdotool mousedown 1
sleep 0.2
xdotool mousemove --window "$dlg" 5 195
sleep 0.2
xdotool mouseup 1

for _ in $(seq 1 200); do
  kill -0 "$E2E_APP_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$E2E_APP_PID" 2>/dev/null && e2e_fail "the probe did not end"
code=0
wait "$E2E_APP_PID" || code=$?
E2E_APP_PID=""
cat "$work/out.txt"
[ "$code" = "0" ] || e2e_fail "exit code $code"
grep -q "^backend: sdl" "$work/out.txt" || e2e_fail "the probe did not run on SDL"
grep -q "^result 1: 6$" "$work/out.txt" || e2e_fail "Return on Yes/No did not answer Yes (6)"
grep -q "^result 2: 2$" "$work/out.txt" || e2e_fail "Escape on OK/Cancel did not answer Cancel (2)"
grep -q "^capture: 1$" "$work/out.txt" || e2e_fail "the static did not get the mouse capture"
# Column 5, row 195: x = 5 - 20, y = 179 - 195.
grep -q "^up: -15 -16$" "$work/out.txt" || e2e_fail "the release outside did not reach the static"
[ -s "$work/probe.png" ] || e2e_fail "no probe.png"
px=$(convert "$work/probe.png" -depth 8 -crop 1x1+10+10 txt:- | sed -n '2p')
echo "$px" | grep -q "(0,255,0" || e2e_fail "the dialog's back buffer is not green: $px"
echo "PASS: gui_boxes"
