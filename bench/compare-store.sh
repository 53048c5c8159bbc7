#!/usr/bin/env bash
# Times a full reading of a DCIM tree of 10,000 photos in 11 folders
# (`kestrel-cli store list`) against `find` listing the same tree, and the
# save of one more photo into that tree against a save into an empty one.
#
#   bench/compare-store.sh [RUNS]      (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20}"
scripts/deps.sh bench >&2
cmake --preset bench >/dev/null
cmake --build --preset bench --target kestrel-cli >&2
cli="$PWD/build/bench/src/cli/kestrel-cli"
work="$PWD/build/bench/store"
tree="$work/DCIM"
rm -rf "$work" && mkdir -p "$tree/.MISC"
python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
keys = []
left = 10000
for folder in range(100, 111):
    count = min(999 if folder < 110 else left, left)
    path = os.path.join(root, f"{folder}APPLE")
    os.makedirs(os.path.join(path, ".MISC"))
    for n in range(1, count + 1):
        name = f"IMG_{folder - 100}{n:03d}.JPG"
        open(os.path.join(path, name), "wb").write(b"\xff\xd8\xff\xd9")
    keys.append(f"<key>LastFileGroupNumber-{folder}</key><string>{count}</string>")
    left -= count
open(os.path.join(root, ".MISC", "Info.plist"), "w").write(
    '<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>' + "".join(keys) + "</dict></plist>")
PY
photo="$work/photo.jpg"
"$cli" resize build/bench/peers/input-4032x3024.jpg "$photo" 640 480 >/dev/null 2>&1 \
  || { bench/compare-peers.sh 1 >/dev/null 2>&1 && "$cli" resize build/bench/peers/input-4032x3024.jpg "$photo" 640 480 >/dev/null; }
mkdir -p "$work/empty"
report="$work/store.json"
hyperfine -N -w 3 -r "$runs" --export-json "$report" \
  -n find "find $tree -name IMG_*" \
  -n find-dates "find $tree -name IMG_* -printf %T@\n" \
  -n kestrel-list "$cli store list $tree --json" \
  -n save-into-10000 "$cli store save $tree $photo" \
  -n save-into-empty "$cli store save $work/empty $photo" >&2
python3 - "$report" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
ms = lambda k: r[k] * 1e3
print(f"full reading of 10,000 photos in 11 folders, medians: find {ms('find'):.1f} ms, "
      f"find with dates {ms('find-dates'):.1f} ms, kestrel-cli store list {ms('kestrel-list'):.1f} ms")
print(f"  ratios: kestrel/find = {r['kestrel-list']/r['find']:.2f}, kestrel/find-with-dates = "
      f"{r['kestrel-list']/r['find-dates']:.2f}; save into the 10,000-photo tree / into an empty one = "
      f"{r['save-into-10000']/r['save-into-empty']:.2f}")
PY
