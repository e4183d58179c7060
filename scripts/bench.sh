#!/usr/bin/env bash
# Builds the client and runs every benchmark under Wine; each prints its figures.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/prepare.sh"
cmake --build "$BUILD_DIR" -j"$(nproc)" >/dev/null

trap 'wine_stop' EXIT
wine_start
cd "$BUILD_DIR/bin"
for bench in *_bench.exe; do
  DISPLAY= wine "$bench"
done
