#!/usr/bin/env bash
# Scripted and display-less runs of the gallery: the box lines a script prints, the
# screenshots it writes, a script line that cannot be read (exit code 2 with its line
# number), and the built-in tour that a run without a display falls back to.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
build=${1:?usage: headless_script.sh BUILD-DIR}
gallery=$build/shell/gallery
[ -x "$gallery" ] || e2e_fail "no gallery in $build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/resources/Files.bmp" "$work/"
cd "$work"

cat >run.txt <<'SCRIPT'
# hover on the colour button, then three colour steps
move 250 380
shot hover.png
click 250 380     # green
click 250 380     # blue
click 250 380     # magenta
move 790 590
shot steps.png
answer 1
click 360 340     # "Active Text" opens its box
close
SCRIPT
"$gallery" --script run.txt >out.txt 2>err.txt || e2e_fail "script run failed: $(cat err.txt)"
grep -qx "box: gallery | Selected | OK -> 1" out.txt || e2e_fail "no box line: $(cat out.txt)"
[ "$(grep -c '^box:' out.txt)" = 1 ] || e2e_fail "expected one box: $(cat out.txt)"
for f in hover.png steps.png; do
  [ -s "$f" ] || e2e_fail "$f was not written"
  [ "$(identify -format '%wx%h' "$f")" = "800x600" ] || e2e_fail "$f is not 800x600"
done
px() { convert "$1" -depth 8 -crop 1x1+"$2"+"$3" txt:- | sed -n 2p | grep -oE '#[0-9A-F]{6}' | head -1; }
[ "$(px steps.png 780 10)" = "#FF00FF" ] || e2e_fail "three steps should give magenta, got $(px steps.png 780 10)"
[ "$(px hover.png 780 10)" = "#FF0000" ] || e2e_fail "hovering must not change the background"

# A line that cannot be read stops the run before it starts, with its number.
printf 'move 10 10\nclick 10\n' >bad.txt
set +e
"$gallery" --script bad.txt >out2.txt 2>err2.txt
code=$?
set -e
[ "$code" = 2 ] || e2e_fail "an unreadable script line gave exit code $code"
grep -q "bad.txt:2:" err2.txt || e2e_fail "no line number in: $(cat err2.txt)"
[ ! -s out2.txt ] || e2e_fail "the program ran despite the bad script: $(cat out2.txt)"

# Without a display: one line saying so, then the tour's screenshots.
env -u DISPLAY -u WAYLAND_DISPLAY "$gallery" >tour.txt 2>&1 || e2e_fail "the tour failed: $(cat tour.txt)"
head -n 1 tour.txt | grep -q "running the built-in tour headless" || e2e_fail "no notice: $(head -n 1 tour.txt)"
shots=$(grep -c '^shot: ' tour.txt)
[ "$shots" -ge 5 ] || e2e_fail "the tour wrote $shots screenshots"
grep '^shot: ' tour.txt | sed 's/^shot: //' | while read -r f; do [ -s "$f" ] || e2e_fail "missing $f"; done
grep -q "^box: gallery | Selected | OK -> 1$" tour.txt || e2e_fail "the tour showed no box"
echo "headless_script: ok"
