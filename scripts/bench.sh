#!/usr/bin/env bash
# Builds the client and runs every benchmark under Wine; each prints its figures.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/bootstrap.sh"

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
. "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" >/dev/null

trap 'wine_stop' EXIT
wine_start
cd "$BUILD_DIR/bin"
for bench in *_bench.exe; do
  DISPLAY= wine "$bench"
done
