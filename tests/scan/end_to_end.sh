#!/usr/bin/env bash
# Runs end_to_end_wtest ($1) against the real lookup server, with a verdict table that marks
# sleeper.exe ($2) dangerous and a recording script standing in for the browser. Uses the
# Wine prefix and display the test script prepared.
set -uo pipefail
. "$(dirname "$0")/../../scripts/lib.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-scan-e2e.XXXXXX")
trap 'stop_lookup_server; rm -rf "$work"' EXIT

dangerous=$(md5sum "$2" | awk '{print toupper($1)}')
printf 'md5,verdict,name,note\n%s,3,Test.Sleeper,"Marked dangerous by the test, ""on purpose"""\n' \
    "$dangerous" >"$work/verdicts.csv"
start_lookup_server 0 "$work/data" --rate 0 --verdicts "$work/verdicts.csv" || exit 1

# Wine hands a web address to the first program of its Browsers list, the address last.
cat >"$work/browser" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened.txt"
SCRIPT
chmod +x "$work/browser"

TESSALY_TEST_SERVER=$LOOKUP_URL TESSALY_TEST_BROWSER=$work/browser \
    TESSALY_TEST_OPENED=$work/opened.txt TESSALY_TEST_DANGEROUS=$dangerous \
    "$TESSALY_ROOT/scripts/wine-run" "$1" --gtest_color=no
status=$?
[ $status -eq 0 ] || { echo "server log:"; cat "$work/data/server.log"; }
exit $status
