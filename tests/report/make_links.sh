#!/bin/sh
# A folder tree with links made on the Linux side, which Wine shows as reparse points: "up"
# leads back to its own parent (a walk that follows it never ends), "again" is a second way
# into "inner".
set -e
tree="$WINEPREFIX/drive_c/tessaly-linktree"
rm -rf "$tree"
mkdir -p "$tree/inner"
: > "$tree/inner/f.exe"
ln -s .. "$tree/inner/up"
ln -s inner "$tree/again"
