#!/usr/bin/env bash
# Main job: builds the client, then runs qvdemo under Wine on the built-in
# default simulated Quorvane network: the network browser's tree (qvnetprov)
# and every printer in it opened by the print provider (qvprov).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/bootstrap.sh"

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
. "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target qvdemo >/dev/null

trap 'wine_stop' EXIT
wine_start
cd "$BUILD_DIR/bin"
DISPLAY= wine qvdemo.exe
