#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz and runs each for a while on its seed corpus.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   default 30 seconds each, every target
#
# One process per target, one at a time (the same as -jobs=1 -workers=1, without its logs).
# Targets: image (decodeImage), font (parseCompoundName and QvpFont), script (parseScript),
# text (STR, PADL, MLCOUNT/MEMOLINE, VAR2CHAR, LineSplit). The seeds in fuzz/corpus/<target>
# are read, never written: new inputs go to build-fuzz/corpus/<target>. A crash leaves its
# input in build-fuzz/findings/<target>/ and fails the script; keep it as a regression case
# in fuzz/regressions/<target>/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(image font script text)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
jobs=${FUZZ_BUILD_JOBS:-2}

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=None -DQV_BENCH=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_PROJECT_INCLUDE="$top/fuzz/fuzz.cmake" >/dev/null
fi
# The resource generator runs during the build under the sanitizers; its leaks are not ours.
ASAN_OPTIONS=detect_leaks=0 cmake --build "$build" -j"$jobs" --target $(printf 'fuzz_%s ' "${targets[@]}")

status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$corpus" "$findings"
  seeds=()
  [ -d "$top/fuzz/corpus/$t" ] && seeds+=("$top/fuzz/corpus/$t")
  [ -d "$top/fuzz/regressions/$t" ] && seeds+=("$top/fuzz/regressions/$t")
  echo "-- fuzz $t for ${seconds}s"
  # Fontconfig keeps caches for the life of the process; LeakSanitizer would report them.
  leaks=1
  [ "$t" = font ] && leaks=0
  if ! ASAN_OPTIONS=detect_leaks=$leaks "$build/fuzz/fuzz_$t" -max_total_time="$seconds" \
      -max_len=65536 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" 2>"$build/fuzz-$t.log"; then
    echo "fuzz $t FAILED: see $build/fuzz-$t.log and $findings" >&2
    tail -n 40 "$build/fuzz-$t.log" >&2
    status=1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^#[0-9]+ *DONE' "$build/fuzz-$t.log" || true
done
exit $status
