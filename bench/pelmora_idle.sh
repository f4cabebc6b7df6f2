#!/usr/bin/env bash
# pelmora idling with its window shown and hidden in the tray, beside a bare program that every
# 250 ms makes the same system reads (and, shown, sets as many texts and bars in a translucent
# window of the same size), and Wine's own taskmgr.exe for reference. Each runs in a Wine prefix
# of its own, and the CPU time of that prefix's wineserver is added to the program's, since a
# Wine program's work is shared with its server.
#
# After 15 s to settle, the CPU time is taken over three consecutive spans of the given length;
# the median ratio to the bare program is printed, and each program's peak working set.
# Usage: bench/pelmora_idle.sh [span seconds, default 60]
set -euo pipefail
here=$(dirname "$0")
. "$here/../scripts/lib.sh"
. "$here/pelmora_common.sh"
span=${1:-60}
spans=3
ensure_packages
bin=${TESSALY_BIN:-}
if [ -z "$bin" ]; then
    build_windows pelmora pelmora_baseline pelmora_tool >/dev/null
    bin=$TESSALY_ROOT/build/windows
fi
kinds=(shown base_shown hidden base_hidden taskmgr)
declare -A names=(
    [shown]="pelmora, window shown" [base_shown]="bare program, shown"
    [hidden]="pelmora, hidden in the tray" [base_hidden]="bare program, hidden"
    [taskmgr]="Wine's taskmgr.exe, shown"
)
declare -A prefixes pids servers
cleanup() {
    for k in "${kinds[@]}"; do
        [ -n "${prefixes[$k]:-}" ] && WINEPREFIX=${prefixes[$k]} /usr/lib/wine/wineserver -k >/dev/null 2>&1
    done
    stop_xvfb
}
trap cleanup EXIT
start_xvfb
for k in "${kinds[@]}"; do
    prefixes[$k]=$TESSALY_ROOT/build/bench-pelmora/$k
    (make_prefix "${prefixes[$k]}")
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
run_in() { WINEPREFIX=${prefixes[$1]} "$WINE64" "${@:2}" >/dev/null 2>&1 & }
run_in shown "$bin/pelmora.exe"
run_in hidden "$bin/pelmora.exe"
run_in base_shown "$bin/pelmora_baseline.exe" show
run_in base_hidden "$bin/pelmora_baseline.exe"
run_in taskmgr taskmgr
sleep 5
WINEPREFIX=${prefixes[shown]} "$WINE64" "$bin/pelmora_tool.exe" show || log "pelmora did not show"
declare -A patterns=([shown]=pelmora.exe [hidden]=pelmora.exe [base_shown]=pelmora_baseline.exe
    [base_hidden]=pelmora_baseline.exe [taskmgr]=taskmgr)
for k in "${kinds[@]}"; do
    pids[$k]=$(pid_in_prefix "${prefixes[$k]}" "${patterns[$k]}") || { log "$k: no process"; exit 1; }
    servers[$k]=$(server_of_prefix "${prefixes[$k]}") || { log "$k: no wineserver"; exit 1; }
done
sleep 10
both_ms() { awk -v a="$(cpu_ms "${pids[$1]}")" -v b="$(cpu_ms "${servers[$1]}")" 'BEGIN {printf "%.3f", a + b}'; }
declare -A start used ratios
for k in "${kinds[@]}"; do start[$k]=$(both_ms "$k"); done
echo "CPU seconds (program + its wineserver) per span of $span s; ratio to the bare program:"
for n in $(seq 1 "$spans"); do
    sleep "$span"
    line="  span $n:"
    for k in "${kinds[@]}"; do
        now=$(both_ms "$k")
        used[$k]=$(awk -v a="${start[$k]}" -v b="$now" 'BEGIN {print (b - a) / 1000}')
        start[$k]=$now
    done
    for k in "${kinds[@]}"; do
        base=${used[base_shown]}
        [ "$k" = hidden ] || [ "$k" = base_hidden ] && base=${used[base_hidden]}
        r=$(awk -v u="${used[$k]}" -v f="$base" 'BEGIN {printf "%.2f", (f > 0 ? u / f : 0)}')
        ratios[$k]="${ratios[$k]:-} $r"
        line+=$(printf "  %s %.3f s (%sx)" "$k" "${used[$k]}" "$r")
    done
    echo "$line"
done
echo "Median CPU ratio over the spans (target: pelmora <= 1.3x, shown and hidden) and peak working set:"
for k in "${kinds[@]}"; do
    awk -v n="${names[$k]}" -v r="$(median "${ratios[$k]}")" -v p="$(peak_kb "${pids[$k]}")" 'BEGIN {
        printf "  %-30s %5.2fx   peak %7.1f MB\n", n, r, p / 1024 }'
done
for pair in "shown base_shown" "hidden base_hidden"; do
    set -- $pair
    awk -v n="${names[$1]}" -v a="$(peak_kb "${pids[$1]}")" -v b="$(peak_kb "${pids[$2]}")" 'BEGIN {
        printf "Peak working set, %s: %.2fx the bare program (target <= 1.25x)\n", n, a / b }'
done
