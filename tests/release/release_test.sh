#!/usr/bin/env bash
# The release under Wine, in a prefix of its own: builds a setup and a newer one from the
# programs in build/windows, installs per user, upgrades over a running copy, refuses to
# replace a file in use, uninstalls with and without purging, installs per machine, and
# starts the portable zip's varnok from a folder with blanks and non-ASCII characters.
set -uo pipefail
. "$(dirname "$0")/../../scripts/lib.sh"

failures=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "ok   [${SECONDS}s] $what"
    else
        echo "FAIL [${SECONDS}s] $what"
        failures=$((failures + 1))
    fi
}
fail() { echo "FAIL $*"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-release-test.XXXXXX")
children=()
cleanup() {
    for pid in "${children[@]}"; do kill "$pid" 2>/dev/null; done
    stop_prefix
    [ -n "${XVFB_PID:-}" ] && stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

# --- Build: this version and a newer one of the same programs ---------------------------------
v1=$(sed -n 's/^project(Tessaly VERSION \([0-9][0-9.]*\).*/\1/p' "$TESSALY_ROOT/CMakeLists.txt")
v2=${v1%.*}.$((${v1##*.} + 1))
"$TESSALY_ROOT/scripts/release.sh" --no-build --no-figures --out "$work/r1" 2>/dev/null || fail "release.sh $v1"
"$TESSALY_ROOT/scripts/release.sh" --no-build --no-figures --version "$v2" --out "$work/r2" 2>/dev/null ||
    fail "release.sh $v2"

sums_cover_both() { [ "$(awk '{print $2}' SHA256SUMS | sort | tr '\n' ' ')" = "tessaly-$v1-portable.zip tessaly-$v1-setup.exe " ]; }
zip_holds() { [ "$(unzip -Z1 "tessaly-$v1-portable.zip" | sort | tr '\n' ' ')" = "tessaly-$v1/ tessaly-$v1/license.txt tessaly-$v1/pelmora.exe tessaly-$v1/readme.txt tessaly-$v1/varnok.exe " ]; }
tampered_fails() { cp -r . "$work/tampered" && printf x >>"$work/tampered/tessaly-$v1-setup.exe" &&
    ! (cd "$work/tampered" && sha256sum --quiet -c SHA256SUMS); }
# The setup's version resource names the version it installs (UTF-16 strings in the file).
setup_version_is() { strings -el "$2" | grep -A1 -x "$1" | tail -n 1 | grep -qx "$3"; }
cd "$work/r1" || fail "no release folder"
check "SHA256SUMS verifies" sha256sum --quiet -c SHA256SUMS
check "SHA256SUMS names the setup and the zip" sums_cover_both
check "SHA256SUMS catches a changed setup" tampered_fails
check "zip holds the programs, read-me and licence" zip_holds
for key in FileVersion ProductVersion; do
    check "setup $key is $v2" setup_version_is "$key" "$work/r2/tessaly-$v2-setup.exe" "$v2"
done
cd "$work" || exit 1

# --- A fresh prefix ---------------------------------------------------------------------------
[ -n "${DISPLAY:-}" ] || start_xvfb || fail "no display"
make_prefix "$work/prefix"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES,winemenubuilder.exe=d"
c=$WINEPREFIX/drive_c
cp "$work/r1/tessaly-$v1-setup.exe" "$c/setup1.exe"
cp "$work/r2/tessaly-$v2-setup.exe" "$c/setup2.exe"
# Background programs are started as "$WINE64" itself, so that $! is the program to end.
wine() { "$WINE64" "$@"; }
unix_path() { wine winepath -u "$1" 2>/dev/null; }

UNINST='Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly'
RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# reg_value KEY NAME: the value's data, or nothing (and failure) when it is missing.
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v n="$2" '$1 == n { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print; found = 1 } END { exit !found }'
}
no_key() { ! wine reg query "$1" >/dev/null 2>&1; }
no_value() { ! reg_value "$1" "$2" >/dev/null; }
value_is() { [ "$(reg_value "$1" "$2")" = "$3" ]; }
# The command lines, in lower case, of the programs running in this prefix.
prefix_programs() {
    local pid args
    while read -r pid args; do
        [[ ${args,,} == *.exe* ]] || continue
        grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && echo "${args,,}"
    done < <(ps -eo pid=,args=)
}
# running PATH: a program of this prefix runs from the Windows path PATH.
running() {
    local p=${1,,} line
    while read -r line; do
        [[ $line == "$p" || $line == "$p "* ]] && return 0
    done < <(prefix_programs)
    return 1
}
not_running() { ! running "$1"; }
wait_until() { # seconds, command
    local n=$(($1 * 5))
    shift
    while [ $n -gt 0 ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
        n=$((n - 1))
    done
    return 1
}
inode() { stat -c %i "$1"; }

# --- Per-user install -------------------------------------------------------------------------
check "silent per-user install ends with 0" wine 'C:\setup1.exe' /S /CURRENTUSER
local_appdata=$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')
dir=$local_appdata'\Programs\Tessaly'
udir=$(unix_path "$dir")
appdata=$(unix_path "$local_appdata")/..
shortcut="$appdata/Roaming/Microsoft/Windows/Start Menu/Programs/Tessaly.lnk"
for f in varnok.exe pelmora.exe readme.txt license.txt uninstall.exe; do
    check "installed $f" test -s "$udir/$f"
done
for f in varnok.exe pelmora.exe; do
    check "installed $f is the built one" cmp -s "$udir/$f" "$TESSALY_ROOT/build/windows/$f"
done
check "Start-menu shortcut" test -s "$shortcut"
check "shortcut starts varnok.exe in the install folder" grep -qaF "Tessaly\\varnok.exe" "$shortcut"
size_kb=$(($(cat "$udir"/{varnok.exe,pelmora.exe,readme.txt,license.txt,uninstall.exe} | wc -c) / 1024))
while IFS='|' read -r name expected; do
    check "Uninstall entry $name = $expected" value_is "HKCU\\$UNINST" "$name" "$expected"
done <<EOF
DisplayName|Tessaly
DisplayVersion|$v1
Publisher|Orvix
DisplayIcon|$dir\\varnok.exe,0
InstallLocation|$dir
UninstallString|"$dir\\uninstall.exe"
QuietUninstallString|"$dir\\uninstall.exe" /S
NoModify|0x1
NoRepair|0x1
EOF
estimated=$(reg_value "HKCU\\$UNINST" EstimatedSize)
check "Uninstall entry EstimatedSize $estimated is the files' $size_kb KB" \
    test $((estimated)) -ge "$size_kb" -a $((estimated)) -le $((size_kb + 1))
check "no machine-wide entry for a per-user install" no_key "HKLM\\$UNINST"

"$WINE64" "$dir\\varnok.exe" >/dev/null 2>&1 &
children+=($!)
check "installed varnok shows Tessaly" wait_for_window Tessaly 60
check "installed varnok starts pelmora beside it" wait_until 30 running "$dir\\pelmora.exe"

# What the user has made in between: settings, a saved startup list here and in the user's
# data folder, varnok's own autostart value and someone else's.
wine reg add 'HKLM\software\orvix\tessaly\ramopt' /v key /d Q /f >/dev/null 2>&1
wine reg add 'HKCU\software\orvix\tessaly\ramopt' /v 1 /d 1 /f >/dev/null 2>&1
wine reg add "$RUN" /v varnok.exe /d "\"$dir\\varnok.exe\" s" /f >/dev/null 2>&1
wine reg add "$RUN" /v other /d '"C:\elsewhere\varnok.exe" s' /f >/dev/null 2>&1
mkdir -p "$appdata/Local/Tessaly"
echo saved >"$udir/startst.txt"
echo saved >"$appdata/Local/Tessaly/startst.txt"
kept_data() {
    value_is 'HKLM\software\orvix\tessaly\ramopt' key Q &&
        value_is 'HKCU\software\orvix\tessaly\ramopt' 1 1 &&
        test -s "$udir/startst.txt" -a -s "$appdata/Local/Tessaly/startst.txt"
}

# --- Upgrade over the running programs --------------------------------------------------------
old_varnok=$(inode "$udir/varnok.exe")
check "newer setup over the running programs ends with 0" wine 'C:\setup2.exe' /S /CURRENTUSER
check "running varnok was closed" not_running "$dir\\varnok.exe"
check "running pelmora was closed" not_running "$dir\\pelmora.exe"
check "varnok.exe was replaced" test "$(inode "$udir/varnok.exe")" != "$old_varnok"
check "upgrade stayed in the same folder" value_is "HKCU\\$UNINST" InstallLocation "$dir"
check "Uninstall entry shows the newer version" value_is "HKCU\\$UNINST" DisplayVersion "$v2"
check "upgrade kept settings and saved startup lists" kept_data
check "upgrade kept the autostart value" value_is "$RUN" varnok.exe "\"$dir\\varnok.exe\" s"

# A program that ignores WM_CLOSE holds its file: the setup stops and changes nothing.
cp "$TESSALY_ROOT/build/windows/sleeper.exe" "$udir/pelmora.tmp" && mv "$udir/pelmora.tmp" "$udir/pelmora.exe"
"$WINE64" "$dir\\pelmora.exe" "" 60 >/dev/null 2>&1 &
holder=$!
children+=($holder)
wait_until 20 running "$dir\\pelmora.exe"
before=$(ls "$udir" | tr '\n' ' ') old_varnok=$(inode "$udir/varnok.exe")
wine 'C:\setup2.exe' /S /CURRENTUSER
check "setup blocked by a file in use ends with 32, not 0" test $? -eq 32
check "blocked setup left varnok.exe alone" test "$(inode "$udir/varnok.exe")" = "$old_varnok"
check "blocked setup left no temporary files" test "$(ls "$udir" | tr '\n' ' ')" = "$before"
kill "$holder" 2>/dev/null
wait_until 20 not_running "$dir\\pelmora.exe"

# --- Uninstall, keeping the user's data -------------------------------------------------------
# The uninstaller runs on from a copy in the temporary folder after its first process ends.
uninstaller_running() { prefix_programs | grep -qF '\~nsu'; }
uninstalled() { no_key "HKCU\\$UNINST" && test ! -e "$udir/varnok.exe" && ! uninstaller_running; }
quiet=$(reg_value "HKCU\\$UNINST" QuietUninstallString)
quiet_program=${quiet#\"} quiet_program=${quiet_program%%\"*}
check "silent uninstall (the entry's quiet command) ends with 0" wine "$quiet_program" ${quiet##*\" }
check "uninstall finished" wait_until 60 uninstalled
for f in varnok.exe pelmora.exe readme.txt license.txt uninstall.exe; do
    check "uninstall removed $f" test ! -e "$udir/$f"
done
check "uninstall removed the shortcut" test ! -e "$shortcut"
check "uninstall removed the Uninstall entry" no_key "HKCU\\$UNINST"
check "uninstall removed varnok's autostart value" no_value "$RUN" varnok.exe
check "uninstall kept the autostart value of a program elsewhere" reg_value "$RUN" other
check "uninstall kept settings and saved startup lists" kept_data

# --- Reinstall and uninstall with /PURGE ------------------------------------------------------
wine 'C:\setup2.exe' /S /CURRENTUSER
check "reinstall over kept data" test -s "$udir/varnok.exe"
wine "$dir\\uninstall.exe" /S /PURGE
check "purging uninstall finished" wait_until 60 uninstalled
check "purge removed the machine's settings" no_key 'HKLM\software\orvix'
check "purge removed the user's settings" no_key 'HKCU\software\orvix'
check "purge removed the saved startup lists and the folders" \
    test ! -e "$udir" -a ! -e "$appdata/Local/Tessaly"

# --- Per machine: an elevated setup without options ------------------------------------------
check "elevated silent install ends with 0" wine 'C:\setup1.exe' /S
machine_dir=$(reg_value "HKLM\\$UNINST" InstallLocation)
check "elevated install goes to Program Files" test "$machine_dir" = 'C:\Program Files\Tessaly'
check "elevated install has the programs" test -s "$c/Program Files/Tessaly/varnok.exe"
check "elevated install's shortcut is for all users" \
    test -s "$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tessaly.lnk"
check "no per-user entry for a machine install" no_key "HKCU\\$UNINST"
wine 'C:\Program Files\Tessaly\uninstall.exe' /S
machine_gone() { no_key "HKLM\\$UNINST" && test ! -e "$c/Program Files/Tessaly"; }
check "machine uninstall removed entry and folder" wait_until 60 machine_gone

# --- The portable zip from an awkward folder -------------------------------------------------
portable="$c/Tools and Tëst Ördner 試験"
mkdir -p "$portable"
unzip -q "$work/r1/tessaly-$v1-portable.zip" -d "$portable"
pdir='C:\Tools and Tëst Ördner 試験\tessaly-'$v1
"$WINE64" "$pdir\\varnok.exe" >/dev/null 2>&1 &
children+=($!)
check "portable varnok shows Tessaly" wait_for_window Tessaly 60
check "portable varnok starts its pelmora" wait_until 30 running "$pdir\\pelmora.exe"

echo
[ $failures -eq 0 ] && echo "release: all checks passed" || echo "release: $failures checks failed"
[ $failures -eq 0 ]
