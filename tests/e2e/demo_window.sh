#!/usr/bin/env bash
# The gallery in a real window under Xvfb, driven by real input from xdotool: the window's
# title and size, the red start, a click on "Color" turning it green, eight clicks turning
# it red again, the "Active Text" box closed with Enter, and a close request ending the
# process with exit code 0.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
build=${1:?usage: demo_window.sh BUILD-DIR}
gallery=$build/shell/gallery
[ -x "$gallery" ] || e2e_fail "no gallery in $build"
e2e_start_x

work=$(mktemp -d)
cp "$build/resources/Files.bmp" "$work/"
cd "$work"
"$gallery" >"$work/out.txt" 2>&1 &
E2E_APP_PID=$!

win=$(e2e_wait_window "A Test In Normal Qv") || e2e_fail "the window did not appear"
geometry=$(xwininfo -id "$win" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$geometry" = "800x600" ] || e2e_fail "window size is $geometry"
echo "window $win, $geometry"

e2e_expect_pixel "$win" 780 10 255,0,0 "the drawing area starts red"

click() {  # click X Y in the window's client pixels
  xdotool mousemove --window "$win" "$1" "$2"
  sleep 0.15
  xdotool click 1
  sleep 0.15
}
click 250 380
e2e_expect_pixel "$win" 780 10 0,255,0 "one click on Color turns it green"
for _ in 2 3 4 5 6 7 8; do click 250 380; done
e2e_expect_pixel "$win" 780 10 255,0,0 "eight clicks turn it red again"

click 360 340
# A box without a title of its own carries the program's name.
box=$(e2e_wait_window "gallery") || e2e_fail "clicking Active Text opened no box"
echo "box window $box: $(xdotool getwindowname "$box")"
# Real key input (XTEST) to the box, which takes the keyboard focus.
xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
xdotool key Return
sleep 0.5
xdotool search --name . 2>/dev/null | grep -q "^$box\$" && e2e_fail "Enter did not close the box"
grep -q "^box: gallery | Selected | OK -> 1$" "$work/out.txt" || e2e_fail "the box was not answered with OK: $(cat "$work/out.txt")"

"$build/tests/e2e/wm_close" "$win"
e2e_wait_exit "$E2E_APP_PID" 10 || e2e_fail "the close request did not end the process"
E2E_APP_PID=""
[ "$E2E_EXIT" = "0" ] || e2e_fail "exit code $E2E_EXIT after a close request"
echo "demo_window: ok"
