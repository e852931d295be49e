#!/usr/bin/env bash
# The error dialog on a real display: a small program of the error tests hits a runtime
# error in a GUI application on SDL under Xvfb. Real key presses answer the boxes:
#  1. Return on the error box (OK): the log is written, the user is told in a second box,
#     Return closes it, the program ends with exit code 1 and QVXERROR.LOG is complete.
#  2. Escape on the error box (Cancel), then Tab and Return on "Exit with LOG file" (No):
#     Break; the program goes on and ends normally, without a log.
# The icons are checked on screen: the stop sign of an error, the exclamation mark of the
# question.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
build=$(cd "${1:?usage: errors_dialog.sh BUILD-DIR}" && pwd)
child=$build/tests/errors/errors_child
if [ ! -x "$child" ]; then
  echo "SKIP: $child is not built"
  exit 0
fi
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed"; exit 0; }
e2e_start_x

# press NAME KEYS...: waits for a new window of that name, gives it the focus, presses KEYS.
last_box=""
press() {
  local name=$1 box=""
  shift
  for _ in $(seq 1 100); do
    box=$(xdotool search --name "^$name\$" 2>/dev/null | grep -vx "${last_box:-none}" | head -n 1 || true)
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || { cat "$work/out.txt"; e2e_fail "the box \"$name\" did not appear"; }
  last_box=$box
  PRESSED_BOX=$box
  xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
  sleep 0.2
  [ -z "${CHECK_PIXEL:-}" ] || e2e_expect_pixel "$box" $CHECK_PIXEL "icon of \"$name\""
  xdotool key "$@"
}

run_child() {
  work=$(mktemp -d)
  cd "$work"
  "$child" gui >"$work/out.txt" 2>&1 &
  E2E_APP_PID=$!
}

finish_child() {
  e2e_wait_exit "$E2E_APP_PID" 20 || { cat "$work/out.txt"; e2e_fail "the program did not end"; }
  E2E_APP_PID=""
  cat "$work/out.txt"
  grep -q "^backend: sdl" "$work/out.txt" || e2e_fail "the program did not run on SDL"
}

# 1. OK: exit with the log.
run_child
CHECK_PIXEL="21 32 204,0,0" press "Quorvex Error Message" Return
press "errors_child" Return
finish_child
[ "$E2E_EXIT" = "1" ] || e2e_fail "exit code $E2E_EXIT after OK, expected 1"
grep -q "outcome:" "$work/out.txt" && e2e_fail "the program went on after OK"
log=$work/QVXERROR.LOG
[ -s "$log" ] || e2e_fail "no QVXERROR.LOG"
grep -q "^oError:operation    : LTRIM$" "$log" || e2e_fail "the log lacks the operation"
grep -q "^Called from ChildMain([0-9]*)$" "$log" || e2e_fail "the log lacks the call stack"
[ "$(tail -c 1 "$log" | od -An -c | tr -d ' ')" = '\n' ] || e2e_fail "the log's last line is not ended"
echo "case 1: OK gave exit code 1 and the log"
cd / && rm -rf "$work"

# 2. Cancel, then No: break.
last_box=""
run_child
press "Quorvex Error Message" Escape
CHECK_PIXEL="24 43 255,204,0" press "Quorvex Error Message" Tab Return
finish_child
[ "$E2E_EXIT" = "0" ] || e2e_fail "exit code $E2E_EXIT after Cancel, No, expected 0"
grep -q "^outcome: break$" "$work/out.txt" || e2e_fail "Cancel, No did not break out"
[ -e "$work/QVXERROR.LOG" ] && e2e_fail "a log was written after Cancel, No"
echo "case 2: Cancel, No broke out"
cd / && rm -rf "$work"
echo "PASS: errors_dialog"
