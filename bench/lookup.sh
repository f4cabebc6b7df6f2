#!/usr/bin/env bash
# The lookup server's check answer (prox.asp, five records, stored in SQLite) against its
# privacy page on the same server: 1,000 requests each on one kept-alive connection, five
# rounds; medians and their ratio. Server and client are built optimised, without sanitizers.
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_host lookup-server-fast lookup_bench >/dev/null
data=$(mktemp -d /tmp/lookup-bench-XXXXXX)
LOOKUP_SERVER=$TESSALY_ROOT/build/host/lookup-server-fast
trap 'stop_lookup_server; rm -rf "$data"' EXIT
start_lookup_server 0 "$data" --rate 0 --verdicts "$TESSALY_ROOT/tools/lookup-server/sample-verdicts.csv"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
port=${LOOKUP_URL##*:}
"$TESSALY_ROOT/build/host/lookup_bench" "${port%/}"
