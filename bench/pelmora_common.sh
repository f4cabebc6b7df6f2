# Pieces the pelmora benchmarks share. Sourced, not run.

# The Linux process of a Wine program of the prefix $1 whose command line matches $2.
pid_in_prefix() {
    local p
    for p in $(pgrep -f -- "$2"); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$1" && { echo "$p"; return 0; }
    done
    return 1
}

# The prefix's wineserver.
server_of_prefix() {
    local p
    for p in $(pgrep -f wineserver); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$1" && { echo "$p"; return 0; }
    done
    return 1
}

# CPU milliseconds of a process: the scheduler's run time over its threads where the kernel shows
# it, else user + system clock ticks.
if [ -r /proc/self/sched ]; then
    cpu_ms() { cat /proc/"$1"/task/*/sched 2>/dev/null | awk '/se.sum_exec_runtime/ {s += $3} END {printf "%.3f", s}'; }
else
    cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{printf "%.3f", ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
fi
peak_kb() { awk '/VmHWM/ {print $2}' "/proc/$1/status"; }
rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
