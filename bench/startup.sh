#!/usr/bin/env bash
# Start-up benchmark: varnok against a bare list-view window with the same rows, both
# launched from one Windows program under Wine on a private Xvfb display.
# Usage: bench/startup.sh [runs] [other varnok build in build/windows, to compare]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_windows varnok pelmora baseline_list startup_bench >/dev/null
start_xvfb
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
trap 'stop_prefix; stop_xvfb' EXIT
"$WINE64" "$TESSALY_ROOT/build/windows/startup_bench.exe" "${1:-7}" "${@:2}"
