#!/usr/bin/env bash
# The file search against a bare one-enumeration walk and the two-enumeration walk, over a
# tree of 20,000 folders and 60,000 files (some with Unicode names) on drive C: of a private
# prefix; then the whole inventory and varnok's replies while it runs.
# Usage: bench/inventory.sh [rounds]
set -euo pipefail
. "$(dirname "$0")/../scripts/lib.sh"
ensure_packages
build_windows inventory_bench varnok pelmora >/dev/null
make_prefix "$TESSALY_ROOT/build/bench-wineprefix"
start_xvfb
trap 'stop_prefix; stop_xvfb' EXIT

tree="$WINEPREFIX/drive_c/bench-tree"
log "making the tree in $tree"
python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
names = ["tool.exe", "readme.txt", "lib.dll", "setup.exe", "x.exe1", "\u00e9t\u00e9.exe",
         "\u6f22\u5b57.EXE", "data.bin"]
folders = files = 0
for a in range(40):
    for b in range(25):
        for c in range(20):
            path = os.path.join(root, "a%02d" % a, "b%02d" % b, "c%02d" % c)
            os.makedirs(path, exist_ok=True)
            folders += 1
            for i in range(3):
                name = names[(a + b + c + i) % len(names)]
                with open(os.path.join(path, "%d%s" % (i, name)), "wb") as f:
                    f.write(b"MZ")
                files += 1
print("folders %d, files %d" % (folders, files))
PY
"$WINE64" "$TESSALY_ROOT/build/windows/inventory_bench.exe" 'C:\bench-tree' "${1:-5}"
