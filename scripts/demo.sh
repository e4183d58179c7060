#!/usr/bin/env bash
# Main job: builds the client, then runs qvdemo under Wine on the built-in
# default simulated Quorvane network: the network browser's tree (qvnetprov)
# and every printer in it opened by the print provider (qvprov).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/prepare.sh"
echo "running: $QV_VARIANT ($QV_ARCH_REASON)"
qv_build qvspool >/dev/null

trap 'wine_stop' EXIT
wine_start
cd "$RUN_BUILD_DIR/bin"
DISPLAY= "$QV_WINE" qvspool.exe demo
