#!/usr/bin/env bash
# Installs what is missing, builds, and starts varnok under Wine (varnok starts pelmora).
# Without an X display it runs on a private Xvfb display, saves a screenshot of the loaded
# window and says where it is.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

ensure_packages
build_windows varnok pelmora >/dev/null
exe=$TESSALY_ROOT/build/windows/varnok.exe

export WINEPREFIX=${TESSALY_WINEPREFIX:-$TESSALY_ROOT/build/wineprefix}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    make_prefix "$WINEPREFIX"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    log "starting varnok on $DISPLAY"
    exec "$WINE64" "$exe" "$@"
fi

exec "$TESSALY_ROOT/scripts/screenshot.sh" "$@"
