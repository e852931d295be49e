#!/usr/bin/env bash
# Sets up, builds and runs the gallery. On a display it opens the window; without one it
# runs the built-in headless tour and prints the screenshots it wrote.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh"
# The gallery reads "Files.bmp" from its working directory: run it beside the sample.
cd "$top/build/resources"
exec "$top/build/shell/gallery" "$@"
