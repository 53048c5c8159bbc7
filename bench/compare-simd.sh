#!/usr/bin/env bash
# The pixel kernels against another commit's, paired: the live view's scale
# and a 12 MP still's, each colour mode and night vision over a 12 MP photo.
# Both trees build this tree's bench/ImagingBench.cpp (it uses only the
# kernels' public calls), and the two programs run in alternating rounds on
# the same machine; prints for each case the ratio new / old of the medians,
# and the median and range of the rounds' own ratios.
#
#   bench/compare-simd.sh [BASE [ROUNDS]]
#
# BASE defaults to the last commit with the hand-written AVX2 kernels (the
# parent of the one that replaced them with Highway); ROUNDS to 5.
set -euo pipefail
cd "$(dirname "$0")/.."
replaced="$(git log -1 --format=%H --diff-filter=D -- src/core/imaging/Avx2Copy.h)"
base="${1:-${replaced}^}"
rounds="${2:-5}"
work=build/compare-simd
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# The base tree as files only (no second worktree to clean up).
rm -rf "$work/base"
mkdir -p "$work/base"
git archive "$base" | tar -x -C "$work/base"
cp bench/ImagingBench.cpp "$work/base/bench/ImagingBench.cpp"
for tree in "$work/base" .; do
  (cd "$tree" && cmake --preset bench "${launcher[@]}" >/dev/null &&
    nice cmake --build --preset bench --target kestrel_bench >&2)
done

filter='BM_(LiveViewScale720p|StillScale12MP|ColorMode12MP|NightVision12MP)/'
for round in $(seq "$rounds"); do
  for side in old new; do
    program=build/bench/bench/kestrel_bench
    [ "$side" = old ] && program="$work/base/build/bench/bench/kestrel_bench"
    "$program" --benchmark_filter="$filter" --benchmark_min_time=0.5 \
      --benchmark_format=json --benchmark_out="$work/$side-$round.json" >/dev/null
  done
  echo "round $round of $rounds" >&2
done

python3 - "$work" "$rounds" "$(git rev-parse --short "$base")" <<'PY'
import json, statistics, sys
work, rounds, base = sys.argv[1], int(sys.argv[2]), sys.argv[3]
times = {"old": {}, "new": {}}
for side in times:
    for r in range(1, rounds + 1):
        for b in json.load(open(f"{work}/{side}-{r}.json"))["benchmarks"]:
            times[side].setdefault(b["name"], []).append(b["real_time"])
print(f"new / old in {rounds} alternating rounds (old: {base}); below 1 is faster")
print(f"  {'case':32s} {'medians':>7s} {'paired: median':>15s} {'range':>12s}")
for name, new in times["new"].items():
    old = times["old"].get(name)
    if old:
        paired = sorted(n / o for n, o in zip(new, old))
        print(f"  {name:32s} {statistics.median(new) / statistics.median(old):7.2f} "
              f"{statistics.median(paired):15.2f} {paired[0]:6.2f}–{paired[-1]:.2f}")
PY
