#!/usr/bin/env bash
# Start-up of a headless run: from process start to the first complete frame written as a
# PNG (and the process ended, so the figure is an upper bound), and the peak resident size.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]     default build-perf, 30 runs
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build-perf}" && pwd)
runs=${2:-30}
gallery="$build/shell/gallery"
[ -x "$gallery" ] || { echo "no $gallery: build the gallery target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/resources/Files.bmp" "$work/"
cd "$work"
unset DISPLAY WAYLAND_DISPLAY
"$gallery" --shot first.png >/dev/null  # warm the file cache and fontconfig's cache
[ -s first.png ] || { echo "the gallery wrote no frame" >&2; exit 1; }

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 3 --runs "$runs" --export-json times.json "$gallery --shot frame.png" >/dev/null
  median=$(python3 -c 'import json;print("%.1f"%(json.load(open("times.json"))["results"][0]["median"]*1000))')
  # On a busy machine the wall time mostly measures waiting; the CPU time does not.
  cpu=$(python3 -c 'import json;r=json.load(open("times.json"))["results"][0];print("%.1f"%((r["user"]+r["system"])*1000))')
else
  times=()
  for _ in $(seq "$runs"); do
    t0=$(date +%s%N); "$gallery" --shot frame.png >/dev/null; t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000 )))
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}')
fi
peak=0
for _ in 1 2 3 4 5; do
  kb=$(/usr/bin/time -v "$gallery" --shot frame.png 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /,"",$2); print $2}')
  [ "$kb" -gt "$peak" ] && peak=$kb
done
echo "start to first frame (median of $runs): $median ms${cpu:+ wall, $cpu ms CPU (user + system, mean)}"
echo "peak resident size (largest of 5): $((peak / 1024)) MB ($peak kB)"
