# Shared helpers of the end-to-end scripts: a private Xvfb display, pixel reads of
# screenshots, waiting with a limit.
set -euo pipefail

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts Xvfb on a free display number; sets DISPLAY. -noreset keeps the server (and the
# pointer) as it is between clients.
e2e_start_x() {
  command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 0; }
  local n
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -noreset -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    E2E_XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && { trap e2e_cleanup EXIT; return 0; }
      sleep 0.1
    done
    kill $E2E_XVFB_PID 2>/dev/null || true
  done
  e2e_fail "could not start Xvfb"
}

e2e_cleanup() {
  [ -n "${E2E_APP_PID:-}" ] && kill "$E2E_APP_PID" 2>/dev/null || true
  [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
}

# e2e_wait_window NAME: prints the id of the first window with that exact name.
e2e_wait_window() {
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# e2e_pixel WINDOW X Y: the pixel's colour as "r,g,b" (0-255).
e2e_pixel() {
  import -window "$1" -depth 8 -crop 1x1+"$2"+"$3" txt:- 2>/dev/null |
    sed -n '2p' | sed -E 's/^[^(]*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1,\2,\3/' |
    awk -F, '{printf "%d,%d,%d\n", $1, $2, $3}'
}

# e2e_expect_pixel WINDOW X Y R,G,B WHAT: waits up to 5 s for the pixel to take the colour.
e2e_expect_pixel() {
  local got=""
  for _ in $(seq 1 50); do
    got=$(e2e_pixel "$1" "$2" "$3")
    [ "$got" = "$4" ] && return 0
    sleep 0.1
  done
  e2e_fail "$5: pixel ($2, $3) is $got, expected $4"
}

# e2e_wait_exit PID SECONDS: waits for the process (a child of this shell, so call it
# without a subshell); sets E2E_EXIT to its exit code. Fails when it does not end in time.
e2e_wait_exit() {
  local pid=$1 limit=$2
  for _ in $(seq 1 $((limit * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && return 1
  E2E_EXIT=0
  wait "$pid" || E2E_EXIT=$?
  return 0
}
