# The running window on a private session bus, for the tests that drive it
# from outside. Sourced by a test script as its first act:
#
#   source "$(dirname "$0")/window-session.sh" "$@"
#
# It runs the script again under dbus-run-session (so everything after the
# `source` line has a session bus of its own), makes a fresh $WORK that goes
# when the script ends, with every process handed to `keep` stopped, and
# gives the script:
#
#   start_kestrel PLATFORM [ARGS…]   the window on Qt's PLATFORM, auto-save on,
#                                    once its actions answer on the bus ($kestrel: its pid)
#   take_picture                     the desktop's take-picture action, as gdbus calls it
#   wait_photos N                    N photos in $WORK/DCIM within 10 s (scaled), and no more
#   quit_kestrel                     SIGTERM, as a logout sends it: ends at once with status 0
#   fail MESSAGE                     says so, with the logs of $WORK, and ends the test
#
#   kestrel_program ARGS…           $KESTREL, in the emulator where there is one
#   cli ARGS…                        $CLI, the same
#   pause SECONDS                    a wait, KESTREL_TEST_TIME_FACTOR times as long
#
# $KESTREL and $CLI name the programs (the script's first two arguments). A
# cross build's programs run in KESTREL_TEST_EMULATOR (its words), with
# every wait KESTREL_TEST_TIME_FACTOR times as long.
if [ -z "${KESTREL_PRIVATE_BUS:-}" ]; then
  export KESTREL_PRIVATE_BUS=1
  exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v "^dbus-daemon\[" >&2)
fi
set -euo pipefail
export KESTREL="$1" CLI="$2"
read -r -a emulator <<<"${KESTREL_TEST_EMULATOR:-}"
slow="${KESTREL_TEST_TIME_FACTOR:-1}"
kestrel_program() { "${emulator[@]}" "$KESTREL" "$@"; }
cli() { "${emulator[@]}" "$CLI" "$@"; }
pause() { sleep "$(awk -v s="$1" -v f="$slow" 'BEGIN { print s * f }')"; }
# Polls: up to N times 0.1 s, scaled as the pauses are.
polls() { seq $(($1 * slow)); }
WORK="$(mktemp -d)"
export WORK
kept=()
keep() { kept+=("$1"); }
end_session() {
  for pid in "${kept[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap end_session EXIT

fail() {
  echo "$(basename "$0" .sh): $*" >&2
  for log in "$WORK"/*.log; do
    [ -f "$log" ] || continue
    echo "--- $(basename "$log") (last lines)" >&2
    tail -n 40 "$log" >&2
  done
  exit 1
}

photos() { find "$WORK/DCIM" -name "*.JPG" -not -path "*/.MISC/*" 2>/dev/null | wc -l; }

wait_photos() {
  for _ in $(polls 100); do [ "$(photos)" -ge "$1" ] && break; sleep 0.1; done
  sleep 0.3  # and no more than that
  [ "$(photos)" -eq "$1" ] || fail "$(photos) photos where $1 were expected"
}

bus_call() {
  gdbus call --session --dest org.kestrelcamera.Kestrel --object-path /org/kestrelcamera/Kestrel "$@"
}

start_kestrel() {
  local platform="$1"
  shift
  cli --config-dir "$WORK/config" settings set "auto save" true >/dev/null
  # Not through kestrel_program: $! must be the program itself, for the signals.
  QT_QPA_PLATFORM="$platform" "${emulator[@]}" "$KESTREL" --simulate --config-dir "$WORK/config" --dcim "$WORK/DCIM" \
    "$@" >"$WORK/kestrel.log" 2>&1 &
  kestrel=$!
  keep "$kestrel"
  for _ in $(polls 100); do
    kill -0 "$kestrel" 2>/dev/null || fail "kestrel ended as it started"
    gdbus introspect --session --dest org.kestrelcamera.Kestrel --object-path /org/kestrelcamera/Kestrel \
      2>/dev/null | grep -q ActivateAction && break
    sleep 0.1
  done
  kill -0 "$kestrel" 2>/dev/null || fail "kestrel ended as it started"
  pause 1  # the camera opens
}

take_picture() {
  bus_call --method org.freedesktop.Application.ActivateAction take-picture [] {} >/dev/null ||
    fail "gdbus take-picture failed"
}

quit_kestrel() {
  kill -TERM "$kestrel"
  local status=0
  for _ in $(polls 50); do kill -0 "$kestrel" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$kestrel" 2>/dev/null && fail "kestrel still runs $((5 * slow)) s after SIGTERM"
  wait "$kestrel" || status=$?
  [ "$status" -eq 0 ] || fail "kestrel ended with status $status after SIGTERM"
}
