#!/usr/bin/env bash
# pelmora left running with its window shown: each minute its working set, its handles (from
# the system's handle list), GDI and USER objects where Wine reports them, and the memory of
# its prefix's wineserver. Flat means: working set within 2% and handles unchanged after the
# first two minutes.
# Usage: bench/pelmora_soak.sh [minutes, default 60]
set -euo pipefail
here=$(dirname "$0")
. "$here/../scripts/lib.sh"
. "$here/pelmora_common.sh"
minutes=${1:-60}
ensure_packages
bin=${TESSALY_BIN:-}
if [ -z "$bin" ]; then
    build_windows pelmora pelmora_tool >/dev/null
    bin=$TESSALY_ROOT/build/windows
fi
prefix=$TESSALY_ROOT/build/bench-pelmora/soak
start_xvfb
make_prefix "$prefix"
trap 'stop_prefix; stop_xvfb' EXIT
"$WINE64" "$bin/pelmora.exe" >/dev/null 2>&1 &
sleep 5
"$WINE64" "$bin/pelmora_tool.exe" show || { log "pelmora did not show"; exit 1; }
pid=$(pid_in_prefix "$prefix" pelmora.exe)
server=$(server_of_prefix "$prefix")
echo "minute  working set MB  handles  gdi  user  wineserver MB"
ws=() handles=()
for m in $(seq 0 "$minutes"); do
    [ "$m" -gt 0 ] && sleep 60
    read -r _ h _ g _ u < <("$WINE64" "$bin/pelmora_tool.exe" objects 2>/dev/null)
    w=$(rss_kb "$pid")
    ws+=("$w") handles+=("$h")
    printf "%6d  %14.1f  %7s  %3s  %4s  %13.1f\n" "$m" "$(awk -v k="$w" 'BEGIN {print k / 1024}')" \
        "$h" "$g" "$u" "$(awk -v k="$(rss_kb "$server")" 'BEGIN {print k / 1024}')"
done
if [ "$minutes" -ge 3 ]; then
    from=2
    awk -v a="${ws[$from]}" -v b="${ws[$minutes]}" 'BEGIN {
        d = 100 * (b - a) / a; printf "Working set from minute 2 to the end: %+.2f%% (%s)\n", d,
        (d <= 2 && d >= -2) ? "flat" : "NOT flat" }'
    lo=$(printf '%s\n' "${handles[@]:$from}" | sort -n | head -n 1)
    hi=$(printf '%s\n' "${handles[@]:$from}" | sort -n | tail -n 1)
    echo "Handles from minute 2 on: $lo to $hi ($([ "$lo" = "$hi" ] && echo unchanged || echo CHANGED))"
fi
