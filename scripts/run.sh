#!/usr/bin/env bash
# Installs what is missing, builds, and starts varnok under Wine (varnok starts pelmora).
# Without an X display it runs on a private Xvfb display, saves a screenshot of the loaded
# window and says where it is. The lookup server runs at varnok's default address for as
# long as varnok does, unless one already listens there.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

ensure_packages
build_windows varnok pelmora >/dev/null
build_host lookup-server >/dev/null
exe=$TESSALY_ROOT/build/windows/varnok.exe

export WINEPREFIX=${TESSALY_WINEPREFIX:-$TESSALY_ROOT/build/wineprefix}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    make_prefix "$WINEPREFIX"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

LOOKUP_PID=
if port_listening 47311; then
    log "a server already listens on 127.0.0.1:47311; using it"
else
    # The download "tessaly.exe" is the newest setup scripts/release.sh has built, if any.
    setup=$(ls -t "$TESSALY_ROOT"/build/release/tessaly-*-setup.exe 2>/dev/null | head -n 1 || true)
    start_lookup_server 47311 "$TESSALY_ROOT/build/lookup-data" \
        --verdicts "$TESSALY_ROOT/tools/lookup-server/sample-verdicts.csv" ${setup:+--setup "$setup"}
    [ -z "$setup" ] || log "the lookup server offers $setup as tessaly.exe"
    log "lookup server at $LOOKUP_URL (log: build/lookup-data/server.log)"
fi
trap stop_lookup_server EXIT

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    log "starting varnok on $DISPLAY"
    "$WINE64" "$exe" "$@"
else
    "$TESSALY_ROOT/scripts/screenshot.sh" "$@"
fi
