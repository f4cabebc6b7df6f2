#!/usr/bin/env bash
# The refresh's join and path stage over synthetic tables of 100, 1,000 and 5,000 processes
# (host build, optimised, no sanitizers).
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
cmake --preset host -S "$TESSALY_ROOT" >/dev/null
cmake --build --preset host --target refresh_stage_bench >/dev/null
"$TESSALY_ROOT/build/host/refresh_stage_bench"
