#!/usr/bin/env bash
# The viewer's display image of a 12 MP photo (shorter side 320 points, the
# JPEG decoded at the smallest DCT scale that covers it) against
# `djpeg -scale 1/8` of the same file, paired run by run; prints the ratio of
# the medians.
#
#   bench/compare-viewer.sh [RUNS]      (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/lib.sh
source bench/lib.sh
runs="${1:-15}"
work=build/bench/viewer
mkdir -p "$work"
scripts/deps.sh bench >&2
cmake --preset bench >/dev/null
cmake --build --preset bench --target kestrel-cli >&2
cli=build/bench/src/cli/kestrel-cli

# The same photo-like 12 MP input as compare-peers.sh.
input="$work/input-4032x3024.jpg"
make_photo_input "$input"

now() { date +%s%N; }
declare -a ours theirs
for ((i = 0; i < runs; i++)); do
  t0=$(now); "$cli" preview "$input" >/dev/null; t1=$(now)
  djpeg -scale 1/8 -outfile /dev/null "$input"; t2=$(now)
  ours+=($(( (t1 - t0) / 1000 ))); theirs+=($(( (t2 - t1) / 1000 )))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
m1=$(median "${ours[@]}"); m2=$(median "${theirs[@]}")
echo "kestrel-cli preview: median ${m1} us; djpeg -scale 1/8: median ${m2} us"
awk -v a="$m1" -v b="$m2" 'BEGIN { printf "ratio %.2f (target: at most 1.2)\n", a / b }'
