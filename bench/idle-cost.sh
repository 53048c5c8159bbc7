#!/usr/bin/env bash
# What the window costs at rest: the CPU ticks (user + system, from
# /proc/PID/stat) Kestrel spends in 10 s on one screen, the window on an
# Xvfb display, simulated devices. Screens: settings, album (12 photos), live
# (the simulated camera's live view). A core gives 100 ticks a second here
# (getconf CLK_TCK): 1000 ticks in 10 s is a whole core, 5 ticks 0.5 %.
#
#   bench/idle-cost.sh [KESTREL] [SCREEN...]
#       KESTREL  the program (default build/default/src/gui/kestrel)
#       SCREEN   settings, album or live (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
kestrel="${1:-build/default/src/gui/kestrel}"
shift || true
screens=("$@")
[ ${#screens[@]} -gt 0 ] || screens=(settings album live)
cli="$(dirname "$kestrel")/../cli/kestrel-cli"
settle=3
span=10
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The album's photos, taken on virtual time.
"$cli" --config-dir "$work/config" shoot --count 12 --dcim "$work/DCIM" --store "$work/store" \
  --virtual-time >/dev/null

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() {
  local screen="$1" press=""
  case "$screen" in
    settings) press="s" ;;
    album) press="a" ;;
    live) press="" ;;
    *) echo "idle-cost: no screen named $screen" >&2; return 2 ;;
  esac
  rm -rf "$work/config"
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$kestrel" --simulate --config-dir "$work/config" --dcim "$work/DCIM" --store "$work/store" \
    ${press:+--press "$press"} >"$work/out" 2>&1 &
  local runner=$!
  local pid=""
  for _ in $(seq 50); do
    # The window's own process (xvfb-run's command line names the folder too).
    for candidate in $(pgrep -x kestrel || true); do
      grep -q "$work/config" "/proc/$candidate/cmdline" 2>/dev/null && pid="$candidate"
    done
    [ -n "$pid" ] && break
    sleep 0.2
  done
  [ -n "$pid" ] || { echo "idle-cost: $kestrel did not start" >&2; cat "$work/out" >&2; return 1; }
  sleep "$settle"
  local before after
  before="$(ticks "$pid")"
  sleep "$span"
  after="$(ticks "$pid")"
  kill -TERM "$pid"
  wait "$runner" || true
  local spent=$((after - before))
  awk -v s="$screen" -v t="$spent" -v span="$span" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%-9s %4d ticks in %d s: %.2f %% of a core\n", s, t, span, 100 * t / (span * hz) }'
}

for screen in "${screens[@]}"; do measure "$screen"; done
