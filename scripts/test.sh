#!/usr/bin/env bash
# Builds everything with the i686 mingw-w64 toolchain and runs every test under Wine.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/bootstrap.sh"

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
. "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_TEST_DISPLAY="$QV_DISPLAY" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"

trap 'wine_stop; xvfb_stop' EXIT
xvfb_start
wine_start
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 300 "$@"
