# Shared pieces of the entry scripts: packages, build, a private Wine prefix and an Xvfb
# display. Sourced, not run.

TESSALY_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINE64=/usr/lib/wine/wine64
PACKAGES="cmake g++ clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb xauth x11-utils imagemagick googletest pkg-config libcpp-httplib-dev libsqlite3-dev chromium nsis zip unzip xz-utils procps"

log() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that are missing; nothing when all are there.
ensure_packages() {
    local missing=()
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Builds the Windows tree; with arguments, only those targets.
build_windows() {
    cmake --preset windows -S "$TESSALY_ROOT" >/dev/null
    if [ $# -gt 0 ]; then
        cmake --build --preset windows --target "$@"
    else
        cmake --build --preset windows
    fi
}

# Builds the host tree; with arguments, only those targets.
build_host() {
    cmake --preset host -S "$TESSALY_ROOT" >/dev/null
    if [ $# -gt 0 ]; then
        cmake --build --preset host --target "$@"
    else
        cmake --build --preset host
    fi
}

LOOKUP_SERVER=$TESSALY_ROOT/build/host/lookup-server

# True when something accepts connections on 127.0.0.1:$1.
port_listening() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Starts the lookup server on 127.0.0.1:$1 (0 for any free port) with its data in $2 and the
# log in $2/server.log; further arguments go to it. Waits until it listens and sets
# LOOKUP_PID and LOOKUP_URL. Stop it with stop_lookup_server.
start_lookup_server() {
    local port=$1 data=$2
    shift 2
    mkdir -p "$data"
    local ready=$data/listening.txt
    rm -f "$ready"
    "$LOOKUP_SERVER" --listen "127.0.0.1:$port" --data "$data" "$@" >"$ready" 2>>"$data/server.log" &
    LOOKUP_PID=$!
    for _ in $(seq 100); do
        LOOKUP_URL=$(sed -n 's/^listening on //p' "$ready" 2>/dev/null)
        [ -n "$LOOKUP_URL" ] && return 0
        kill -0 "$LOOKUP_PID" 2>/dev/null || break
        sleep 0.1
    done
    log "the lookup server did not start; see $data/server.log"
    LOOKUP_PID=
    return 1
}

stop_lookup_server() {
    [ -n "${LOOKUP_PID:-}" ] && kill "$LOOKUP_PID" 2>/dev/null && wait "$LOOKUP_PID" 2>/dev/null
    LOOKUP_PID=
}

# A fresh prefix in $1 with window management off (destroying a shown window then takes
# milliseconds instead of seconds under a bare X server).
make_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d Y /f >/dev/null 2>&1
    # The desktop process (which holds the tray) read the X11 settings before they were
    # written: restart the prefix so it runs with them, and so the background services start
    # here rather than inside the first test, whose output pipe they would keep open.
    # The server stays up between programs, so each test starts in a ready prefix.
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -p >/dev/null 2>&1 || true
    "$WINE64" wineboot >/dev/null 2>&1 || true
}

stop_prefix() {
    [ -n "${WINEPREFIX:-}" ] && WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}

# Starts Xvfb on the first free display and exports DISPLAY; XVFB_PID names it.
start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    log "Xvfb did not start"
    return 1
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# Waits up to $2 seconds for a top-level window titled $1 on $DISPLAY; prints its X id.
wait_for_window() {
    local title=$1 seconds=${2:-30} id
    for _ in $(seq $((seconds * 5))); do
        id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" | awk '{print $1}' | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}
