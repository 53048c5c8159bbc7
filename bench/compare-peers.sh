#!/usr/bin/env bash
# Times Kestrel's photo pipeline against the libvips peer on the same 12 MP
# JPEG, paired run by run, and prints the ratio of the medians.
#
#   bench/compare-peers.sh [RUNS]      (default 7)
#
# Work: decode, crop to 16:9, zoom 2, sepia, time stamp, JPEG q95 4:2:0.
# KESTREL_BENCH_BUILD names another build folder of the bench preset.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/lib.sh
source bench/lib.sh
runs="${1:-7}"
peers="${KESTREL_PEERS_DIR:-../shared/peers}"
build="${KESTREL_BENCH_BUILD:-build/bench}"
work="$build/peers"
mkdir -p "$work"

scripts/deps.sh bench >&2
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target kestrel-cli kestrel_bench >&2
cli="$build/src/cli/kestrel-cli"

if [ ! -x "$work/vips_compose" ] || [ "$peers/vips_compose.cpp" -nt "$work/vips_compose" ]; then
  # shellcheck disable=SC2046
  g++ -O2 -std=c++20 "$peers/vips_compose.cpp" -o "$work/vips_compose" $(pkg-config --cflags --libs vips-cpp)
fi

# A photo-like 4032 x 3024 input: smooth noise in three bands, saved at q92.
input="$work/input-4032x3024.jpg"
make_photo_input "$input"

now() { date +%s%N; }
declare -a kestrel_times vips_times
for ((i = 0; i < runs; i++)); do
  start=$(now)
  "$cli" compose "$input" "$work/kestrel-out.jpg" --ratio 1 --zoom 2 --effect 2 \
    --stamp "2024:05:01 12:34:56" >/dev/null
  kestrel_times+=($(( $(now) - start )))
  start=$(now)
  "$work/vips_compose" "$input" "$work/vips-out.jpg" sepia 2
  vips_times+=($(( $(now) - start )))
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
k=$(median "${kestrel_times[@]}")
v=$(median "${vips_times[@]}")
awk -v k="$k" -v v="$v" -v n="$runs" 'BEGIN {
  printf "compose 4032x3024 (16:9, zoom 2, sepia, stamp, q95), median of %d paired runs:\n", n
  printf "  kestrel-cli %.1f ms, libvips %.1f ms, ratio kestrel/libvips = %.2f\n", k / 1e6, v / 1e6, k / v
}'
