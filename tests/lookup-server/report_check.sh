#!/usr/bin/env bash
# Renders a check's report in headless Chromium at phone and desktop widths: the page must
# show every file row, log nothing to the console (a blocked stylesheet or script would), and
# leave a screenshot of each width in build/screenshots/ for a person to look at.
# Usage: report_check.sh LOOKUP_SERVER SCREENSHOT_DIR
set -uo pipefail
server=$1 shots=$2
work=$(mktemp -d /tmp/lookup-report-XXXXXX)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

cat >"$work/verdicts.csv" <<'CSV'
md5,verdict,name,note
44d88612fea8a8f36de82e1278abb02f,5,EICAR-Test-File,"The harmless test file anti-virus programs use, ""to check that they work""."
d41d8cd98f00b204e9800998ecf8427e,6,Empty file,
CSV
"$server" --listen 127.0.0.1:0 --data "$work/data" --verdicts "$work/verdicts.csv" \
    >"$work/listening.txt" 2>"$work/server.log" &
pid=$!
url=
for _ in $(seq 100); do
    url=$(sed -n "s/^listening on //p" "$work/listening.txt" 2>/dev/null)
    [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$url" ] || fail "the server did not start: $(cat "$work/server.log")"

# Seven files in two batches, as the client sends them: percent-encoded, "<" between fields.
enc() { python3 -c 'import sys,urllib.parse; print(urllib.parse.quote(sys.argv[1], safe="-._~"))' "$1"; }
rec() { printf '%s<%s<%s<%s<%s<%s<%s<%s|' "$@"; }
win="Windows 7 Service Pack 1"
batch1=$(rec eicar.com "unknown company" "unknown product" "" 68 'c:\users\ana\downloads\eicar.com' 44D88612FEA8A8F36DE82E1278ABB02F "$win"
         rec explorer.exe "Microsoft Corporation" "Microsoft® Windows® Operating System" "6.1.7601.17514" 2871808 'c:\windows\explorer.exe' 332FEAB1435662FC6C672E25BEB37BE3 "$win"
         rec 'q" onmouseover="x' 'Smith & Sons' "bold & brave" 1.0 0 'c:\temp\q" onmouseover="x' d41d8cd98f00b204e9800998ecf8427e "$win"
         rec ntdll.dll "Microsoft Corporation" "Microsoft® Windows® Operating System" "6.1.7601.17725" 1292080 'c:\windows\system32\ntdll.dll' "" "$win"
         rec "Überwachung.exe" "Größe GmbH" "Überwachung" "2.0" 40960 'c:\program files\größe\a very long folder name that goes on and on\and on again\Überwachung.exe' 0123456789ABCDEF0123456789ABCDEF "$win")
batch2=$(rec kernel32.dll "Microsoft Corporation" "Microsoft® Windows® Operating System" "6.1.7601.17651" 1163264 'c:\windows\system32\kernel32.dll' 9B0F0B9E2A0A0B42E0D1A3C0B8E0C9D1 "$win"
         echo -n 'broken<record|')
key=253635901-45296
for b in "$batch1" "$batch2"; do
    answer=$(python3 -c 'import sys,urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' \
        "${url}prox.asp?files=$(enc "$b")&p=5&s=2&sn=$key") || fail "prox.asp did not answer"
    echo "answer: $answer"
done

report="${url}scanresult.asp?sr=$key"
browse() {
    chromium --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars \
        --user-data-dir="$work/profile" --enable-logging=stderr --v=0 "$@" 2>>"$work/chromium.log"
}
dom=$(browse --dump-dom "$report") || fail "chromium could not load the report"
rows=$(grep -o 'data-md5="[0-9A-F]*" data-verdict="[0-9]"' <<<"$dom" | wc -l)
[ "$rows" -eq 7 ] || fail "the rendered report shows $rows file rows, not 7"
grep -q 'data-md5="44D88612FEA8A8F36DE82E1278ABB02F" data-verdict="5"' <<<"$dom" || fail "the warning row is missing"
grep -q "<[^>]*onmouseover=" <<<"$dom" && fail "sent text became markup"

mkdir -p "$shots"
browse --window-size=390,1600 --screenshot="$shots/lookup-report-phone.png" "$report" >/dev/null || fail "no phone screenshot"
browse --window-size=1280,1000 --screenshot="$shots/lookup-report-desktop.png" "$report" >/dev/null || fail "no desktop screenshot"
if grep -i 'CONSOLE\|Refused to\|Content Security Policy' "$work/chromium.log"; then
    fail "the browser logged the lines above"
fi
echo "report rendered with $rows rows; screenshots in $shots"
