#!/usr/bin/env bash
# The drawn controls' cost. First, 2,000 paints of each into a memory DC beside the common
# control it stands in for, at 96 and at 192 DPI (bench/controls_bench.cpp). Then varnok's CPU
# time over a span with the pointer resting on each of our controls and on a common control
# beside it, against resting on the same window's background: hover must not keep the program
# busy. With several rounds, the medians. CONTROLS_BENCH_SHOTS=folder saves a screenshot at
# each place (to check the places after the windows' layout changed).
# Usage: bench/controls.sh [span seconds, default 30] [rounds, default 1]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
span=${1:-30}
rounds=${2:-1}
ensure_packages
build_windows varnok pelmora controls_bench window_command >/dev/null
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
# Places, in 96 DPI coordinates of the X window (Wine draws its 21-pixel caption inside it).
# The main window: blank background, the column's first button ("Process") and the details
# area's terminate link. The security scan window: blank background, its "Close" push button
# (a common control with a hover look, for comparison) and its privacy link.
declare -A at=([background]="700 560" [button]="78 65" [details-link]="600 523"
    [scan-background]="350 95" [push-button]="250 148" [scan-link]="60 200")
open_scan() { "$WINE64" "$bin/window_command.exe" Tessaly 1060; } # its column button's command
declare -A used
rest() { # place window
    local x y a b
    read -r x y <<<"${at[$1]}"
    xdotool mousemove --window "$2" "$x" "$y"
    sleep 1
    # The places follow the windows' layout: look at them when it changes.
    [ -n "${CONTROLS_BENCH_SHOTS:-}" ] && import -window root "$CONTROLS_BENCH_SHOTS/$1.png"
    a=$(cpu_ms "$pid")
    sleep "$span"
    b=$(cpu_ms "$pid")
    used[$1]="${used[$1]:-} $(awk -v a="$a" -v b="$b" 'BEGIN {print (b - a) / 1000}')"
    echo "  pointer on the $1: $(awk -v a="$a" -v b="$b" 'BEGIN {printf "%.3f", (b - a) / 1000}') CPU s over $span s"
}
for round in $(seq "$rounds"); do
    for place in background button details-link; do rest "$place" "$window"; done
    open_scan
    scan=$(wait_for_window "Security Scan" 30)
    sleep 2
    for place in scan-background push-button scan-link; do rest "$place" "$scan"; done
    read -r x y <<<"${at[push-button]}"
    xdotool mousemove --window "$scan" "$x" "$y" click 1 # closes it
    sleep 2
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
ratio() {
    local u f
    u=$(echo "${used[$1]}" | median)
    f=$(echo "${used[$2]}" | median)
    awk -v n="$1" -v d="$2" -v u="$u" -v f="$f" 'BEGIN {
        printf "  %s / %s: %.3f / %.3f s = %.2fx\n", n, d, u, f, (f > 0 ? u / f : 0) }'
}
echo "medians of $rounds round(s):"
ratio button background
ratio details-link background
ratio push-button scan-background
ratio scan-link scan-background
kill "$pid" 2>/dev/null || true
