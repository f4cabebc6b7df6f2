#!/usr/bin/env bash
# The drawn controls' cost. First, 2,000 paints of each into a memory DC beside the common
# control it stands in for, at 96 and at 192 DPI (bench/controls_bench.cpp). Then varnok's CPU
# time over a span with the pointer resting on a column button, then on the terminate link,
# against resting on the window's background: hover must not keep the program busy.
# Usage: bench/controls.sh [span seconds, default 30]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
span=${1:-30}
ensure_packages
build_windows varnok pelmora controls_bench >/dev/null
bin=$TESSALY_ROOT/build/windows
start_xvfb
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
trap 'stop_prefix; stop_xvfb' EXIT

for dpi in 96 192; do
    "$TESSALY_ROOT/scripts/wine-dpi" "$dpi" "$bin/controls_bench.exe" 2000
done

"$WINE64" "$bin/varnok.exe" &
window=$(wait_for_window Tessaly 60)
sleep 5
pid=$(pgrep -f -x "$bin/varnok.exe" | head -n 1)
if [ -r /proc/self/sched ]; then
    cpu_ms() { cat /proc/"$1"/task/*/sched 2>/dev/null | awk '/se.sum_exec_runtime/ {s += $3} END {printf "%.3f", s}'; }
else
    cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{printf "%.3f", ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
fi
# Places in the window (96 DPI client coordinates, below Wine's own 21-pixel caption): the
# "Main Window" button, the terminate link of the details area, and blank background.
declare -A at=([background]="700 560" [button]="75 167" [link]="780 635")
declare -A used
for place in background button link background; do
    read -r x y <<<"${at[$place]}"
    xdotool mousemove --window "$window" "$x" "$y"
    sleep 1
    a=$(cpu_ms "$pid")
    sleep "$span"
    b=$(cpu_ms "$pid")
    used[$place]=$(awk -v a="$a" -v b="$b" 'BEGIN {print (b - a) / 1000}')
    echo "  pointer on the $place: $(printf '%.3f' "${used[$place]}") CPU s over $span s"
done
for place in button link; do
    awk -v n="$place" -v u="${used[$place]}" -v f="${used[background]}" 'BEGIN {
        printf "  %s / background: %.2fx\n", n, (f > 0 ? u / f : 0) }'
done
pkill -f -x "$bin/varnok.exe" || true
