#!/usr/bin/env bash
# A full security check of the test world (the Wine prefix's running programs plus 20 extra
# processes) against the lookup server on loopback: files, requests and seconds, medians of
# the given number of runs.
# Usage: bench/scan.sh [runs]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_host lookup-server >/dev/null
build_windows scan_bench idle_child >/dev/null
runs=${1:-5}
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
data=$(mktemp -d)
start_lookup_server 0 "$data" --rate 0 \
    --verdicts "$TESSALY_ROOT/tools/lookup-server/sample-verdicts.csv"
children=()
trap 'kill "${children[@]}" 2>/dev/null; stop_lookup_server; stop_prefix; rm -rf "$data"' EXIT
for _ in $(seq 20); do
    "$WINE64" "$TESSALY_ROOT/build/windows/idle_child.exe" >/dev/null 2>&1 &
    children+=($!)
done
sleep 3
seconds=()
for _ in $(seq "$runs"); do
    line=$("$WINE64" "$TESSALY_ROOT/build/windows/scan_bench.exe" "$LOOKUP_URL")
    echo "$line"
    seconds+=("$(echo "$line" | awk '{print $6}')")
done
median=$(printf '%s\n' "${seconds[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "full scan: $(echo "$line" | awk '{print "files " $2 ", requests " $4}'), median $median s over $runs runs"
