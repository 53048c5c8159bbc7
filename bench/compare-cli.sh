#!/usr/bin/env bash
# Times kestrel-cli's commands on files, whole process, against the tools
# beside it on the same 12 MP photo (hyperfine, paired in one run):
#   kestrel-cli exif read F           against  exiv2 -pt F
#   kestrel-cli exif stamp F --lat --lon  against a durable copy
#                                     (cp F T.tmp && sync T.tmp && mv T.tmp T)
#   kestrel-cli --version             against  exiv2 --version
# and prints the ratios, how many shared libraries each program loads and
# the dynamic loader's share of its start (LD_DEBUG=statistics).
#
#   bench/compare-cli.sh [RUNS]      (default 40)
#   KESTREL_BENCH_BUILD names another build folder of the bench preset.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/lib.sh
source bench/lib.sh
runs="${1:-40}"
build="${KESTREL_BENCH_BUILD:-build/bench}"
work="$build/cli"
mkdir -p "$work"
scripts/deps.sh bench >&2
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target kestrel-cli kestrel-cli-camera >&2
cli="$PWD/$build/src/cli/kestrel-cli"
input="$build/peers/input-4032x3024.jpg"
mkdir -p "$(dirname "$input")"
make_photo_input "$input"
photo="$work/photo.jpg"
cp "$input" "$photo"
"$cli" exif stamp "$photo" --lat 48.8584 --lon 2.2945 >/dev/null
cp "$photo" "$work/stamped.jpg"
cp "$photo" "$work/copied.jpg"

libraries() { LD_TRACE_LOADED_OBJECTS=1 "$1" | grep -c '=>'; }
loader() { LD_DEBUG=statistics "$@" 2>&1 >/dev/null | sed -n 's/.*total startup time in dynamic loader: *\([0-9]*\) cycles.*/\1/p' | head -1; }
camera="$(dirname "$cli")/kestrel-cli-camera"
echo "shared libraries: kestrel-cli $(libraries "$cli"), kestrel-cli-camera $(libraries "$camera")," \
  "exiv2 $(libraries "$(command -v exiv2)")"
echo "dynamic loader's start, cycles: kestrel-cli exif read $(loader "$cli" exif read "$photo")," \
  "exiv2 -pt $(loader exiv2 -pt "$photo")"

report="$work/cli.json"
hyperfine -w 5 -r "$runs" --export-json "$report" \
  -n kestrel-version "$cli --version" \
  -n exiv2-version "exiv2 --version" \
  -n kestrel-read "$cli exif read $photo" \
  -n exiv2-read "exiv2 -pt $photo" \
  -n kestrel-stamp "$cli exif stamp $work/stamped.jpg --lat 48.8584 --lon 2.2945" \
  -n durable-copy "cp $photo $work/copied.tmp && sync $work/copied.tmp && mv $work/copied.tmp $work/copied.jpg" >&2
python3 - "$report" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
ms = lambda k: f"{r[k]*1e3:.2f} ms"
print(f"medians: --version {ms('kestrel-version')} (exiv2 {ms('exiv2-version')}); exif read {ms('kestrel-read')} "
      f"(exiv2 -pt {ms('exiv2-read')}); exif stamp {ms('kestrel-stamp')} (durable copy {ms('durable-copy')})")
print(f"  ratios: read kestrel/exiv2 = {r['kestrel-read']/r['exiv2-read']:.2f}, "
      f"stamp kestrel/durable-copy = {r['kestrel-stamp']/r['durable-copy']:.2f}, "
      f"version kestrel/exiv2 = {r['kestrel-version']/r['exiv2-version']:.2f}")
PY
