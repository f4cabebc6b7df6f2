#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the pure code natively
# under sanitizers, everything else under Wine on a private Xvfb display in a private Wine
# prefix. Ends with one summary line for the whole run.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

ensure_packages || exit 1
build_host || exit 1
build_windows || exit 1

start_xvfb || exit 1
make_prefix "$TESSALY_ROOT/build/test-wineprefix"
trap 'stop_prefix; stop_xvfb' EXIT

results=$TESSALY_ROOT/build/test-results
mkdir -p "$results"
status=0
log "host tests"
ctest --preset host --output-on-failure 2>&1 | tee "$results/host.txt" || status=1
log "Wine tests on $DISPLAY"
ctest --preset windows --output-on-failure 2>&1 | tee "$results/windows.txt" || status=1

count() { grep -Eo "tests passed, [0-9]+ tests? failed out of [0-9]+" "$1" | tail -n 1; }
total=0 failed=0
for f in "$results/host.txt" "$results/windows.txt"; do
    line=$(count "$f")
    [ -n "$line" ] || { status=1; continue; }
    n=$(echo "$line" | grep -Eo '[0-9]+$')
    k=$(echo "$line" | grep -Eo '[0-9]+ tests? failed' | grep -Eo '^[0-9]+')
    total=$((total + n)) failed=$((failed + k))
done
echo
echo "Tests: $((total - failed)) passed, $failed failed"
exit $status
