#!/usr/bin/env bash
# The running window's shutter from outside, on a private session bus:
# `gdbus call … ActivateAction take-picture` and `kestrel-cli trigger` each
# take exactly one photo; a second `kestrel` brings the first forward and
# ends; with the window gone, trigger says so and fails.
#
#   remote-trigger-test.sh KESTREL_PROGRAM KESTREL_CLI_PROGRAM
# A cross build's programs run in KESTREL_TEST_EMULATOR (its words), with
# the waits KESTREL_TEST_TIME_FACTOR times as long.
set -euo pipefail
export KESTREL="$1" CLI="$2" EMULATOR="${KESTREL_TEST_EMULATOR:-}" SLOW="${KESTREL_TEST_TIME_FACTOR:-1}"
export WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

dbus-run-session -- bash -c '
  set -euo pipefail
  fail() { echo "remote trigger: $*" >&2; cat "$WORK/kestrel.log" >&2; exit 1; }
  emulator=($EMULATOR)
  wait_for() { sleep "$(awk -v s="$1" -v f="$SLOW" "BEGIN { print s * f }")"; }
  photos() { find "$WORK/DCIM" -name "*.JPG" -not -path "*/.MISC/*" 2>/dev/null | wc -l; }
  wait_photos() {
    for _ in $(seq $((100 * SLOW))); do [ "$(photos)" -ge "$1" ] && break; sleep 0.1; done
    sleep 0.3  # and no more than that
    [ "$(photos)" -eq "$1" ] || fail "$(photos) photos where $1 were expected"
  }
  "${emulator[@]}" "$CLI" --config-dir "$WORK/config" settings set "auto save" true >/dev/null
  QT_QPA_PLATFORM=offscreen "${emulator[@]}" "$KESTREL" --simulate --config-dir "$WORK/config" --dcim "$WORK/DCIM" \
    >"$WORK/kestrel.log" 2>&1 &
  kestrel=$!
  for _ in $(seq $((100 * SLOW))); do
    gdbus introspect --session --dest org.kestrelcamera.Kestrel --object-path /org/kestrelcamera/Kestrel \
      2>/dev/null | grep -q ActivateAction && break
    sleep 0.1
  done
  wait_for 1  # the camera opens

  gdbus call --session --dest org.kestrelcamera.Kestrel --object-path /org/kestrelcamera/Kestrel \
    --method org.freedesktop.Application.ActivateAction take-picture [] {} >/dev/null ||
    fail "gdbus take-picture failed"
  wait_photos 1
  wait_for 1.5  # back to live view after the save
  "${emulator[@]}" "$CLI" trigger >/dev/null || fail "kestrel-cli trigger failed"
  wait_photos 2

  QT_QPA_PLATFORM=offscreen "${emulator[@]}" "$KESTREL" --simulate --config-dir "$WORK/config2" --dcim "$WORK/DCIM2" \
    | grep -q "already running" || fail "a second kestrel did not find the first"
  kill "$kestrel"
  wait "$kestrel" || true
  if "${emulator[@]}" "$CLI" trigger 2>"$WORK/err"; then fail "trigger without a window succeeded"; fi
  grep -qx "kestrel-cli: no Kestrel window is running" "$WORK/err" || fail "trigger said: $(cat "$WORK/err")"
  echo "remote trigger: gdbus 1 photo, kestrel-cli trigger 1 photo, second start and no window as expected"
' 2> >(grep -v "^dbus-daemon\[" >&2)
