#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit, trace and pixel tests (CTest), the same
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the end-to-end tests under Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

echo "== build"
bash "$top/scripts/build.sh" -DQV_WERROR=$werror
echo "== tests"
(cd "$top/build" && ctest --output-on-failure -j"$(nproc)" --timeout 300)

echo "== sanitizer build and tests"
BUILD_DIR="$top/build-asan" BUILD_TYPE=Debug bash "$top/scripts/build.sh" -DQV_SANITIZE=ON -DQV_BENCH=OFF -DQV_WERROR=$werror
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$(nproc)" --timeout 600)

echo "== end-to-end"
for t in "$top"/tests/e2e/*.sh; do
  [ -e "$t" ] || continue
  [ "$(basename "$t")" = lib.sh ] && continue  # shared helpers, not a test
  echo "-- $(basename "$t")"
  bash "$t" "$top/build"
done

echo "== fuzz"
# Each fuzz target for 30 seconds on its seeds and kept findings (clang, build-fuzz).
FUZZ_BUILD_JOBS="$(nproc)" bash "$top/scripts/fuzz.sh" 30

echo "== leaks"
# The built-in tour of a run without a display, under LeakSanitizer.
tour=$(mktemp -d)
cp "$top/build-asan/resources/Files.bmp" "$tour/"
(cd "$tour" && env -u DISPLAY -u WAYLAND_DISPLAY ASAN_OPTIONS=detect_leaks=1 "$top/build-asan/shell/gallery" >/dev/null)
ls "$tour"/gallery-tour/*.png >/dev/null
rm -rf "$tour"
echo "all tests passed"
