#!/usr/bin/env bash
# varnok idling, with its window shown and hidden in the tray, beside a bare window with the
# same timer rates (100 ms and 1 s), all side by side on a private Xvfb display. A second bare
# window also changes one short text each second, the least any window showing a figure each
# second does, to show what that alone costs here.
#
# After 10 s to settle, the CPU time each uses is taken over three consecutive spans of the
# given length (one machine's background load moves a single span by a third either way), and
# the median ratio to the floor is printed; then the peak working set after 10 s and at the
# end. Wine runs each Windows process as a Linux process, so the figures come from /proc.
# Usage: [IDLE_STARTUP_MONITOR=1] bench/idle.sh [span seconds, default 60]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
span=${1:-60}
spans=3
ensure_packages
bin=${TESSALY_BIN:-}
if [ -z "$bin" ]; then
    build_windows varnok pelmora idle_baseline >/dev/null
    bin=$TESSALY_ROOT/build/windows
fi
start_xvfb
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
trap 'stop_prefix; stop_xvfb' EXIT
# IDLE_STARTUP_MONITOR=1: varnok runs with the startup monitor on (its Run-key watch and the
# refresh timer's check).
if [ "${IDLE_STARTUP_MONITOR:-0}" = 1 ]; then
    "$WINE64" reg add 'HKCU\software\orvix\tessaly\option\free' /v 'startup monitor' \
        /t REG_SZ /d 1 /f >/dev/null 2>&1
fi

"$WINE64" "$bin/varnok.exe" &
"$WINE64" "$bin/varnok.exe" s &
"$WINE64" "$bin/idle_baseline.exe" &
"$WINE64" "$bin/idle_baseline.exe" paint &
sleep 3
pid_of() { pgrep -f -x "$1" | head -n 1; }
kinds=(shown tray floor paint)
declare -A pids=(
    [shown]=$(pid_of "$bin/varnok.exe")
    [tray]=$(pid_of "$bin/varnok.exe s")
    [floor]=$(pid_of "$bin/idle_baseline.exe")
    [paint]=$(pid_of "$bin/idle_baseline.exe paint")
)
declare -A names=(
    [shown]="varnok, window shown" [tray]="varnok, hidden in the tray"
    [floor]="bare window, same timers" [paint]="bare window + 1 text/s"
)
# CPU milliseconds: the scheduler's run time summed over the process's threads where the kernel
# shows it (sub-millisecond), else user + system time in clock ticks (10 ms steps).
if [ -r /proc/self/sched ]; then
    cpu_ms() { cat /proc/"$1"/task/*/sched 2>/dev/null | awk '/se.sum_exec_runtime/ {s += $3} END {printf "%.3f", s}'; }
else
    cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{printf "%.3f", ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
fi
peak() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }
sleep 7

declare -A peak0 start used ratios
for k in "${kinds[@]}"; do peak0[$k]=$(peak "${pids[$k]}"); start[$k]=$(cpu_ms "${pids[$k]}"); done
echo "CPU seconds per span of $span s, and the ratio to the bare window with the same timers:"
for n in $(seq 1 "$spans"); do
    sleep "$span"
    line="  span $n:"
    for k in "${kinds[@]}"; do
        now=$(cpu_ms "${pids[$k]}")
        used[$k]=$(awk -v a="${start[$k]}" -v b="$now" 'BEGIN {print (b - a) / 1000}')
        start[$k]=$now
    done
    for k in "${kinds[@]}"; do
        r=$(awk -v u="${used[$k]}" -v f="${used[floor]}" 'BEGIN {printf "%.2f", (f > 0 ? u / f : 0)}')
        ratios[$k]="${ratios[$k]:-} $r"
        line+=$(printf "  %s %.3f s (%sx)" "$k" "${used[$k]}" "$r")
    done
    echo "$line"
done
median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
echo "Median over the spans; peak working set after 10 s and at the end:"
for k in "${kinds[@]}"; do
    p1=$(peak "${pids[$k]}")
    awk -v n="${names[$k]}" -v r="$(median "${ratios[$k]}")" -v a="${peak0[$k]}" -v b="$p1" 'BEGIN {
        printf "  %-28s %5.2fx the floor   peak %6.1f MB -> %6.1f MB (%+.2f%%)\n",
               n, r, a / 1024, b / 1024, (a > 0 ? 100 * (b - a) / a : 0) }'
done
pkill -f -x "$bin/varnok.exe" || true
pkill -f -x "$bin/varnok.exe s" || true
pkill -f "$bin/idle_baseline.exe" || true
