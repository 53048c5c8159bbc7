#!/usr/bin/env bash
# Writes WRAPPER, a script that runs the aarch64 program PROGRAM in the
# emulator with the arguments it is given: where a cross build's tests run
# on a machine without binfmt_misc, a program that execs another of
# Kestrel's programs (kestrel-cli execs kestrel-cli-camera) finds this in its
# place, and the exec goes through the emulator as binfmt_misc would send it.
#
#   emulated-program.sh PROGRAM WRAPPER EMULATOR [EMULATOR_ARGUMENT...]
set -euo pipefail
program="$1" wrapper="$2"
shift 2
[ "$#" -gt 0 ] || { echo "emulated-program.sh: no emulator given" >&2; exit 2; }
mkdir -p "$(dirname "$wrapper")"
{
  echo '#!/bin/sh'
  printf 'exec'
  printf ' %q' "$@" "$program"
  printf ' "$@"\n'
} >"$wrapper.new"
chmod +x "$wrapper.new"
mv -f "$wrapper.new" "$wrapper"
