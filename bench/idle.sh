#!/usr/bin/env bash
# varnok idling, with its window shown and hidden in the tray, beside a bare window with the
# same timer rates (100 ms and 1 s), all three side by side on a private Xvfb display.
# Prints the CPU seconds each used over the idle span (after 10 s to settle) and its peak
# working set after 10 s and at the end. Wine runs each Windows process as a Linux process,
# so the figures come from /proc. Usage: bench/idle.sh [idle seconds, default 60]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
idle=${1:-60}
ensure_packages
bin=${TESSALY_BIN:-}
if [ -z "$bin" ]; then
    build_windows varnok pelmora idle_baseline >/dev/null
    bin=$TESSALY_ROOT/build/windows
fi
start_xvfb
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
trap 'stop_prefix; stop_xvfb' EXIT

"$WINE64" "$bin/varnok.exe" &
"$WINE64" "$bin/varnok.exe" s &
"$WINE64" "$bin/idle_baseline.exe" &
sleep 3
pid_of() { pgrep -f -x "$1" | head -n 1; }
declare -A pids=(
    [shown]=$(pid_of "$bin/varnok.exe")
    [tray]=$(pid_of "$bin/varnok.exe s")
    [floor]=$(pid_of "$bin/idle_baseline.exe")
)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
peak() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }
sleep 7
declare -A cpu0 peak0
for k in shown tray floor; do cpu0[$k]=$(ticks "${pids[$k]}"); peak0[$k]=$(peak "${pids[$k]}"); done
sleep "$idle"
hz=$(getconf CLK_TCK)
floor_cpu=$(( $(ticks "${pids[floor]}") - ${cpu0[floor]} ))
echo "CPU seconds over $idle s of idling; peak working set after 10 s and after $((idle + 10)) s:"
for k in shown tray floor; do
    used=$(( $(ticks "${pids[$k]}") - ${cpu0[$k]} ))
    p1=$(peak "${pids[$k]}")
    awk -v k="$k" -v u="$used" -v f="$floor_cpu" -v hz="$hz" -v a="${peak0[$k]}" -v b="$p1" 'BEGIN {
        names["shown"] = "varnok, window shown"; names["tray"] = "varnok, hidden in the tray";
        names["floor"] = "bare window, same timers";
        printf "  %-28s %6.2f s (%s the floor)   peak %6.1f MB -> %6.1f MB (%+.2f%%)\n",
               names[k], u / hz, (f > 0 ? sprintf("%.2fx", u / f) : "n/a"), a / 1024, b / 1024,
               (a > 0 ? 100 * (b - a) / a : 0) }'
done
pkill -f -x "$bin/varnok.exe" || true
pkill -f -x "$bin/varnok.exe s" || true
pkill -f -x "$bin/idle_baseline.exe" || true
