#!/usr/bin/env bash
# Main job: builds the client, then browses the default simulated Quorvane
# network as the network browser would and opens each printer found through
# the print provider, as the spooler would.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/bootstrap.sh"
echo "The demo program is not built yet: this will browse the default network and open its printers."
