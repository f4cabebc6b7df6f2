#!/usr/bin/env bash
# The startup list's two loads against a bare pass over the same 500 Run values, in a private
# prefix. Usage: bench/startup_load.sh [runs]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_windows startup_load_bench >/dev/null
make_prefix "$TESSALY_ROOT/build/bench-startup-wineprefix"
trap 'stop_prefix' EXIT
"$WINE64" "$TESSALY_ROOT/build/windows/startup_load_bench.exe" "${1:-9}"
