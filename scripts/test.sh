#!/usr/bin/env bash
# Builds everything and runs every test under Wine. The i686 product build
# is always built; where the host cannot run 32-bit programs (or with
# QV_ARCH=x86_64) the tests run on an x86-64 build under 64-bit Wine.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/prepare.sh"
echo "testing: $QV_VARIANT ($QV_ARCH_REASON)"
qv_build

trap 'wine_stop; xvfb_stop' EXIT
xvfb_start
wine_start
cd "$RUN_BUILD_DIR"
# One test process at a time: with two at once in the same prefix, Wine 8.0
# now and then kills a process with SIGSEGV as it exits, after its tests
# have passed (measured: about one process in 300 with -j2, none in over
# 1,000 with -j1). The whole suite takes about a minute either way.
log="$RUN_BUILD_DIR/ctest.log"
set +e
ctest --output-on-failure -j1 --timeout 300 "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

# The variant and what it skipped, then ctest's own summary again, so that
# the summary stays the last thing printed.
skipped=$(grep -cF '***Skipped' "$log" || true)
echo
echo "tested: $QV_VARIANT ($QV_ARCH_REASON); $skipped tests skipped for this variant"
sed -n '/tests passed, /,$p' "$log"
exit "$status"
