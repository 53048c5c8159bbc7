#!/usr/bin/env bash
# Times `kestrel-cli exif stamp` on a 12 MP JPEG, whole process, against `cp`
# of the same file and against the floor for a safe rewrite (copy, flush,
# rename, flush the folder), with hyperfine; prints the ratios.
#
#   bench/compare-stamp.sh [RUNS]      (default 40)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-40}"
work=build/bench/peers
bench/compare-peers.sh 1 >/dev/null   # builds everything and makes the 12 MP input
cmake --build --preset bench --target SafeRewrite >&2
cli=build/bench/src/cli/kestrel-cli
input="$work/input-4032x3024.jpg"
cp "$input" "$work/stamped.jpg"
report="$work/stamp.json"
hyperfine -N -w 5 -r "$runs" --export-json "$report" \
  -n cp "cp $input $work/copy.jpg" \
  -n safe-rewrite "build/bench/bench/SafeRewrite $input $work/rewrite.jpg" \
  -n kestrel-stamp "$cli exif stamp $work/stamped.jpg --lat 48.8584 --lon 2.2945" >&2
python3 - "$report" <<'PY'
import json, sys
results = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
cp, floor, stamp = results["cp"], results["safe-rewrite"], results["kestrel-stamp"]
print(f"exif stamp of a 12 MP JPEG, median of hyperfine runs: cp {cp*1e3:.2f} ms, "
      f"safe rewrite {floor*1e3:.2f} ms, kestrel-cli {stamp*1e3:.2f} ms")
print(f"  ratios: kestrel/cp = {stamp/cp:.2f}, safe-rewrite/cp = {floor/cp:.2f}, kestrel/safe-rewrite = {stamp/floor:.2f}")
PY
