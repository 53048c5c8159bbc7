#!/usr/bin/env bash
# What one 12 MP photo costs on its way to the disk:
#  - the bytes written by a save into a store of Kestrel's own (photo,
#    thumbnail, poster and record together; counted with strace) against the
#    photo's size;
#  - the time from the shutter to the durable photo with the simulated
#    camera in real time (`shoot --trace`), median of RUNS.
#
#   bench/compare-save.sh [RUNS]      (default 5)
#
# KESTREL_BENCH_BUILD names another build folder of the bench preset.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/lib.sh
source bench/lib.sh
runs="${1:-5}"
build="${KESTREL_BENCH_BUILD:-build/bench}"
scripts/deps.sh bench >&2
command -v strace >/dev/null || { echo "compare-save.sh: needs strace" >&2; exit 2; }
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target kestrel-cli >&2
cli="$PWD/$build/src/cli/kestrel-cli"
work="$PWD/$build/save"
rm -rf "$work" && mkdir -p "$work"
input="$PWD/$build/peers/input-4032x3024.jpg"
mkdir -p "$(dirname "$input")"
make_photo_input "$input"

# Bytes: every write, writev and copy_file_range of the save, the program's
# own output to the terminal left out.
strace -f -qq -e trace=write,writev,pwrite64,copy_file_range -o "$work/strace.log" \
  "$cli" store save "$work/DCIM" "$input" --lat 48.8584 --lon 2.2945 >"$work/saved.txt"
photo="$(cat "$work/saved.txt")"
python3 - "$work/strace.log" "$photo" <<'PY'
import os, re, sys
total = 0
for line in open(sys.argv[1]):
    m = re.match(r"\s*(?:\d+\s+)?(write|writev|pwrite64|copy_file_range)\((\d+),.*\)\s+=\s+(\d+)", line)
    if m and m.group(2) not in ("1", "2"):
        total += int(m.group(3))
size = os.path.getsize(sys.argv[2])
print(f"one 12 MP save into Kestrel's own store: {total} bytes written, photo {size} bytes, "
      f"ratio {total / size:.2f}")
PY

# Shutter to durable photo: the trace's shutter press to the save's
# completion (the photo flushed and published), real time.
times=()
for ((i = 0; i < runs; i++)); do
  rm -rf "$work/store"
  "$cli" shoot --mode 1 --count 1 --store "$work/store" --trace >"$work/trace.txt"
  t=$(python3 - "$work/trace.txt" <<'PY'
import re, sys
start = end = None
for line in open(sys.argv[1]):
    m = re.match(r"\s*([\d.]+) (.*)", line)
    if not m:
        continue
    t, event = float(m.group(1)), m.group(2)
    if start is None and event.startswith("picture requested"):
        start = t
    if event.startswith("saved "):
        end = t
print(f"{(end - start) * 1000:.1f}" if start is not None and end is not None else "nan")
PY
)
  times+=("$t")
done
printf '%s\n' "${times[@]}" | sort -n | awk -v n="$runs" '{a[NR]=$1} END {
  printf "shutter to durable photo (shoot --trace, simulated camera, real time), median of %d: %s ms\n", n, a[int((NR+1)/2)] }'
