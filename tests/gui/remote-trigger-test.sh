#!/usr/bin/env bash
# The running window's shutter from outside, on a private session bus:
# `gdbus call … ActivateAction take-picture` and `kestrel-cli trigger` each
# take exactly one photo; a second `kestrel` brings the first forward and
# ends; with the window gone, trigger says so and fails.
#
#   remote-trigger-test.sh KESTREL_PROGRAM KESTREL_CLI_PROGRAM
source "$(dirname "$0")/window-session.sh" "$@"

start_kestrel offscreen
take_picture
wait_photos 1
pause 1.5  # back to live view after the save
cli trigger >/dev/null || fail "kestrel-cli trigger failed"
wait_photos 2

QT_QPA_PLATFORM=offscreen kestrel_program --simulate --config-dir "$WORK/config2" --dcim "$WORK/DCIM2" \
  | grep -q "already running" || fail "a second kestrel did not find the first"
quit_kestrel
if cli trigger 2>"$WORK/err"; then fail "trigger without a window succeeded"; fi
grep -qx "kestrel-cli: no Kestrel window is running" "$WORK/err" || fail "trigger said: $(cat "$WORK/err")"
echo "remote trigger: gdbus 1 photo, kestrel-cli trigger 1 photo, second start and no window as expected"
