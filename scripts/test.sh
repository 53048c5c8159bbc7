#!/usr/bin/env bash
# Installs what the build and the tests need, builds, and runs the whole suite.
#
#   scripts/test.sh [PRESET]    PRESET: default (the default), debug, asan, tsan
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/deps.sh test
scripts/fetch-samples.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
