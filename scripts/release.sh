#!/usr/bin/env bash
# Builds the release into build/release/: the setup tessaly-<version>-setup.exe (NSIS, Unicode,
# LZMA), the portable tessaly-<version>-portable.zip and SHA256SUMS for both. Then prints the
# setup's size against the two programs compressed alone with the same LZMA settings, and the
# time of a silent install under Wine in a fresh prefix.
#
#   scripts/release.sh [--version X.Y.Z] [--out DIR] [--no-build] [--no-figures]
#
# The version defaults to the one the programs carry (project() in CMakeLists.txt). The
# programs packaged are whatever build/windows/varnok.exe and pelmora.exe are.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

version="" out=$TESSALY_ROOT/build/release build=1 figures=1
while [ $# -gt 0 ]; do
    case $1 in
    --version) version=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --no-figures) figures=0; shift ;;
    *) echo "usage: $0 [--version X.Y.Z] [--out DIR] [--no-build] [--no-figures]" >&2; exit 2 ;;
    esac
done

[ -n "$version" ] ||
    version=$(sed -n 's/^project(Tessaly VERSION \([0-9][0-9.]*\).*/\1/p' "$TESSALY_ROOT/CMakeLists.txt")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    log "the version must be three numbers, not '$version'"
    exit 2
fi

if [ $build = 1 ]; then
    ensure_packages
    build_windows varnok pelmora >/dev/null
fi
programs=$TESSALY_ROOT/build/windows
for p in varnok.exe pelmora.exe; do
    [ -f "$programs/$p" ] || { log "$programs/$p is missing: build first"; exit 1; }
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-release.XXXXXX")
own_prefix=0
cleanup() {
    [ $own_prefix = 1 ] && stop_prefix
    stop_xvfb
    rm -rf "$stage"
}
trap cleanup EXIT
setup=tessaly-$version-setup.exe
zip=tessaly-$version-portable.zip
rm -f "$out"/tessaly-*-setup.exe "$out"/tessaly-*-portable.zip "$out/SHA256SUMS"

# Texts in Windows line endings, as Notepad and the setup's licence page expect.
docs=$stage/docs
mkdir -p "$docs"
for f in readme.txt license.txt; do
    sed 's/\r$//; s/$/\r/' "$TESSALY_ROOT/packaging/$f" >"$docs/$f"
done

# The picture on the welcome and finish pages: the program's icon on the product's colours.
bitmap=$stage/wizard.bmp
bitmap_define=()
if convert -size 164x314 gradient:'#1b3a5c-#2f6b9a' \
    \( "$TESSALY_ROOT/src/res/varnok.ico[5]" -resize 96x96 \) -gravity north -geometry +0+48 \
    -composite -type TrueColor BMP3:"$bitmap" 2>/dev/null; then
    bitmap_define=(-DWIZARD_BMP="$bitmap")
fi

start=$(date +%s%N)
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DPROGRAMS="$programs" -DDOCS="$docs" \
    -DICON="$TESSALY_ROOT/src/res/varnok.ico" -DOUTFILE="$out/$setup" "${bitmap_define[@]}" \
    "$TESSALY_ROOT/packaging/tessaly.nsi" >"$stage/makensis.log" ||
    { cat "$stage/makensis.log" >&2; exit 1; }
make_ms=$((($(date +%s%N) - start) / 1000000))

portable=$stage/tessaly-$version
mkdir -p "$portable"
cp "$programs/varnok.exe" "$programs/pelmora.exe" "$docs/readme.txt" "$docs/license.txt" "$portable/"
(cd "$stage" && zip -q -X -9 -r "$out/$zip" "tessaly-$version")
(cd "$out" && sha256sum "$setup" "$zip" >SHA256SUMS)

log "built in $out:"
(cd "$out" && ls -l "$setup" "$zip" SHA256SUMS | awk '{printf "   %10d  %s\n", $5, $9}') >&2
[ $figures = 1 ] || exit 0

# Size: the setup against the two programs alone in one LZMA stream with the setup's dictionary,
# and against an empty setup of the same kind (the NSIS stub, whose size is fixed).
setup_bytes=$(stat -c %s "$out/$setup")
lzma_bytes=$(cat "$programs/varnok.exe" "$programs/pelmora.exe" |
    xz --format=lzma --lzma1=preset=9,dict=8MiB -c | wc -c)
printf 'Unicode true\nTarget amd64-unicode\nSetCompressor /SOLID /FINAL lzma\nOutFile "%s"\nSection\nSectionEnd\n' \
    "$stage/empty.exe" | makensis -V1 - >/dev/null
empty_bytes=$(stat -c %s "$stage/empty.exe")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
echo "setup size: $setup_bytes bytes; the two programs in LZMA: $lzma_bytes bytes;" \
    "ratio $(ratio "$setup_bytes" "$lzma_bytes") (target at most 1.2)"
echo "an empty setup of the same kind: $empty_bytes bytes; the setup without it:" \
    "$((setup_bytes - empty_bytes)) bytes, ratio $(ratio $((setup_bytes - empty_bytes)) "$lzma_bytes");" \
    "makensis took $make_ms ms"

# Time: silent installs into a fresh prefix, each into a new folder, beside the start of a
# Wine program that does nothing (cmd /c exit) in the same prefix.
[ -n "${DISPLAY:-}" ] || start_xvfb
own_prefix=1
make_prefix "$stage/prefix"
# No menu entries on the Linux desktop for the shortcut the setup makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES,winemenubuilder.exe=d"
cp "$out/$setup" "$stage/prefix/drive_c/"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
elapsed_ms() {
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}
installs=() bases=()
for i in 1 2 3 4 5; do
    bases+=("$(elapsed_ms "$WINE64" cmd /c exit)")
    installs+=("$(elapsed_ms "$WINE64" "C:\\$setup" /S "/D=C:\\timed\\$i")")
    [ -f "$stage/prefix/drive_c/timed/$i/varnok.exe" ] || { log "silent install $i installed nothing"; exit 1; }
done
install_ms=$(printf '%s\n' "${installs[@]}" | median)
base_ms=$(printf '%s\n' "${bases[@]}" | median)
echo "silent install under Wine: median $install_ms ms of 5 (${installs[*]}) (target under 3000 ms);" \
    "an empty Wine program: median $base_ms ms (${bases[*]})"
