#!/usr/bin/env bash
# Installs what the build and the tests need, builds, and runs the whole suite.
#
#   scripts/test.sh [PRESET]    PRESET: default (the default), debug, asan, tsan, arm64
#
# arm64: cross-builds for aarch64 against an arm64 root unpacked from
# Debian's packages (scripts/arm64-sysroot.sh), and runs the whole suite
# under qemu-aarch64 on an emulated Cortex-A72.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
if [ "$preset" = arm64 ]; then
  scripts/deps.sh arm64
  scripts/fetch-samples.sh
  start=$SECONDS
  KESTREL_ARM64_SYSROOT="$(scripts/arm64-sysroot.sh)"
  export KESTREL_ARM64_SYSROOT
  echo "arm64: root $KESTREL_ARM64_SYSROOT ready in $((SECONDS - start)) s"
  start=$SECONDS
  cmake --preset arm64 >/dev/null
  cmake --build --preset arm64
  echo "arm64: cross build $((SECONDS - start)) s"
  start=$SECONDS
  status=0
  ctest --preset arm64 || status=$?
  echo "arm64: suite under qemu-aarch64 $((SECONDS - start)) s"
  exit "$status"
fi
scripts/deps.sh test
scripts/fetch-samples.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
