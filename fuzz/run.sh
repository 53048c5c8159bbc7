#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, ASan, UBSan) and runs each for a
# while on its corpus. New inputs that widen coverage go into fuzz/corpus;
# crashes are written to fuzz/crashes, which the test suite replays.
#
#   fuzz/run.sh [SECONDS_PER_FUZZER]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/deps.sh test >&2
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >&2
run() {
  local fuzzer="$1" corpus="$2"
  build/fuzz/fuzz/"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=fuzz/crashes/"$fuzzer"- fuzz/corpus/"$corpus"
}
run SectionFileFuzzer section
run GpsReadFuzzer gps
