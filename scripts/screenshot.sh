#!/usr/bin/env bash
# Starts varnok on a private Xvfb display, waits for its loaded window, saves a PNG
# screenshot, ends the programs and prints the file's path. Arguments go to varnok.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

ensure_packages
build_windows varnok pelmora >/dev/null
exe=$TESSALY_ROOT/build/windows/varnok.exe
out=${TESSALY_SCREENSHOT:-$TESSALY_ROOT/build/screenshots/varnok.png}
mkdir -p "$(dirname "$out")"

export WINEPREFIX=${TESSALY_WINEPREFIX:-$TESSALY_ROOT/build/wineprefix}
[ -f "$WINEPREFIX/system.reg" ] || make_prefix "$WINEPREFIX"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

start_xvfb
trap 'stop_prefix; stop_xvfb' EXIT
log "no X display: running varnok on the private display $DISPLAY"
"$WINE64" "$exe" "$@" &
# The window is shown only once the process list has loaded.
if ! window=$(wait_for_window Tessaly 60); then
    log "varnok showed no window within 60 s"
    exit 1
fi
sleep 1.5
import -window "$window" "$out"
echo "Screenshot of the loaded window: $out"
