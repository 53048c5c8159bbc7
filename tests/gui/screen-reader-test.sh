#!/usr/bin/env bash
# A screen reader finds and presses the shutter: Kestrel on a virtual X
# display and a private session bus (with its accessibility bus), read and
# driven over AT-SPI by tests/gui/screen_reader.py.
#
#   screen-reader-test.sh KESTREL_PROGRAM
# A cross build's kestrel runs in KESTREL_TEST_EMULATOR (its words), the
# waits KESTREL_TEST_TIME_FACTOR times as long.
set -euo pipefail
program="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The display: Xvfb picks a free number and writes it to the pipe. It must
# not reset when its last client leaves: the accessibility bus's launcher
# connects to set its root-window property and leaves again, the reset wipes
# the property, and a client connecting in that moment (Kestrel, slow to
# start in an emulator) is refused.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -noreset -screen 0 640x960x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$displayfd" number || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

# Everything else on a session bus of its own.
XVFB_LOG="$work/xvfb.log" DCIM="$work/DCIM" CONFIG="$work/config" PROGRAM="$program" HERE="$here" EMULATOR="${KESTREL_TEST_EMULATOR:-}" \
dbus-run-session -- bash -c '
  set -euo pipefail
  emulator=($EMULATOR)
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "${emulator[@]}" "$PROGRAM" --simulate --config-dir "$CONFIG" --dcim "$DCIM" >"$CONFIG.log" 2>&1 &
  kestrel=$!
  status=0
  /usr/bin/python3 "$HERE/screen_reader.py" "$DCIM" "$kestrel" || status=$?
  kill "$kestrel" 2>/dev/null || true
  wait "$kestrel" 2>/dev/null || true
  if [ "$status" -ne 0 ]; then
    echo "--- kestrel" >&2; cat "$CONFIG.log" >&2
    echo "--- Xvfb" >&2; cat "$XVFB_LOG" >&2
  fi
  exit "$status"
'
