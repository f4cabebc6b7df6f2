#!/usr/bin/env bash
# File digests under Wine against md5sum on the same files: about 560 MiB in files of 1 KiB to
# 64 MiB, read from a warm cache. Five passes of each, in turns; medians and the ratio of
# throughputs. Also the 1 KiB block size every caller once used, for comparison.
# Usage: bench/md5.sh [passes]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_windows md5_bench >/dev/null
passes=${1:-5}
data=$TESSALY_ROOT/build/bench-md5
mkdir -p "$data"
make_file() { [ -f "$2" ] && [ "$(stat -c %s "$2")" -eq "$1" ] || head -c "$1" /dev/urandom >"$2"; }
for i in $(seq 7); do make_file $((64 << 20)) "$data/big$i.bin"; done
for i in $(seq 6); do make_file $((16 << 20)) "$data/mid$i.bin"; done
for i in $(seq 16); do make_file $((1 << 20)) "$data/one$i.bin"; done
for i in $(seq 64); do make_file $((64 << 10)) "$data/small$i.bin"; done
for i in $(seq 256); do make_file 1024 "$data/tiny$i.bin"; done
files=("$data"/*.bin)
total=$(du -cb "${files[@]}" | tail -n 1 | cut -f1)
winfiles=()
for f in "${files[@]}"; do winfiles+=("Z:${f//\//\\}"); done

make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
trap 'stop_prefix' EXIT
cat "${files[@]}" >/dev/null # warm the cache

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
md5sum_times=() wine_times=() small_times=()
for _ in $(seq "$passes"); do
    start=$(date +%s.%N)
    md5sum "${files[@]}" >/dev/null
    md5sum_times+=("$(echo "$(date +%s.%N) - $start" | bc)")
    wine_times+=("$("$WINE64" "$TESSALY_ROOT/build/windows/md5_bench.exe" 1 1048576 "${winfiles[@]}" |
        awk '{print $4}')")
    small_times+=("$("$WINE64" "$TESSALY_ROOT/build/windows/md5_bench.exe" 1 1024 "${winfiles[@]}" |
        awk '{print $4}')")
done
m=$(printf '%s\n' "${md5sum_times[@]}" | median)
w=$(printf '%s\n' "${wine_times[@]}" | median)
s=$(printf '%s\n' "${small_times[@]}" | median)
mib=$(echo "scale=1; $total / 1048576" | bc)
printf 'files: %d, %s MiB; medians of %d passes\n' "${#files[@]}" "$mib" "$passes"
printf 'md5sum                       %7.3f s  %7.1f MiB/s\n' "$m" "$(echo "$mib / $m" | bc -l)"
printf 'GetFileMD5HashCode, 1 MiB    %7.3f s  %7.1f MiB/s  %.2fx md5sum\n' "$w" \
    "$(echo "$mib / $w" | bc -l)" "$(echo "$m / $w" | bc -l)"
printf 'GetFileMD5HashCode, 1 KiB    %7.3f s  %7.1f MiB/s  %.2fx md5sum\n' "$s" \
    "$(echo "$mib / $s" | bc -l)" "$(echo "$m / $s" | bc -l)"
