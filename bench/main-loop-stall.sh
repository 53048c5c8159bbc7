#!/usr/bin/env bash
# The longest the window's main loop is kept from answering while photos are
# shot: a 12 MP `gst:` camera (videotestsrc at 4000 x 3000), sepia, auto-save
# on, the window on an Xvfb display and a private session bus; the probe asks
# it over D-Bus every 5 ms (bench/stall_probe.py). A frame interval at 30
# frames a second is 33 ms.
#
#   bench/main-loop-stall.sh [KESTREL] [SHOTS]
set -euo pipefail
cd "$(dirname "$0")/.."
export KESTREL="${1:-build/default/src/gui/kestrel}"
export SHOTS="${2:-5}"
export CLI="$(dirname "$KESTREL")/../cli/kestrel-cli"
export WORK="$(mktemp -d)"
export PROBE="$PWD/bench/stall_probe.py"
trap 'rm -rf "$WORK"' EXIT

"$CLI" --config-dir "$WORK/config" settings set "auto save" true >/dev/null
"$CLI" --config-dir "$WORK/config" settings set "camera mode" 1 >/dev/null
"$CLI" --config-dir "$WORK/config" settings set "camera modification" 2 >/dev/null
dbus-run-session -- bash -c '
  set -euo pipefail
  xvfb-run -a -s "-screen 0 1280x1024x24" "$KESTREL" --config-dir "$WORK/config" \
    --dcim "$WORK/DCIM" ${STORE:+--store "$WORK/store"} \
    --camera "gst:videotestsrc pattern=smpte ! video/x-raw,width=4000,height=3000,framerate=30/1" \
    >"$WORK/kestrel.log" 2>&1 &
  for _ in $(seq 150); do
    gdbus introspect --session --dest org.kestrelcamera.Kestrel --object-path /org/kestrelcamera/Kestrel \
      2>/dev/null | grep -q ActivateAction && break
    sleep 0.1
  done
  sleep 2  # the camera opens
  /usr/bin/python3 "$PROBE" "$SHOTS" "${SPACING:-6}"
  saved="$(find "$WORK" -name "*.JPG" -not -path "*/.MISC/*" -not -path "*/.thumbnails/*" | wc -l)"
  echo "photos saved: $saved"
  pkill -TERM -f "^$KESTREL --config-dir $WORK/config" || true
  wait || true
  [ "$saved" -eq "$SHOTS" ] || { echo "main-loop-stall: $saved photos of $SHOTS" >&2; cat "$WORK/kestrel.log" >&2; exit 1; }
' 2> >(grep -v "^dbus-daemon\[" >&2)
