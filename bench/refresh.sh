#!/usr/bin/env bash
# Process list refresh against a bare enumeration pass, with 20 and 80 extra processes.
# Usage: bench/refresh.sh [runs]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_windows refresh_bench idle_child >/dev/null
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
trap 'stop_prefix' EXIT
"$WINE64" "$TESSALY_ROOT/build/windows/refresh_bench.exe" "${1:-9}"
