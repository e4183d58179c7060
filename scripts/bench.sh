#!/usr/bin/env bash
# Builds the client and runs every benchmark under Wine; each prints its figures.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/prepare.sh"
echo "benchmarks: $QV_VARIANT ($QV_ARCH_REASON)"
qv_build >/dev/null

trap 'wine_stop' EXIT
wine_start
cd "$RUN_BUILD_DIR/bin"
for bench in *_bench.exe; do
  DISPLAY= "$QV_WINE" "$bench"
done
