#!/usr/bin/env bash
# The camera's two speed figures, on GStreamer's test source:
#  1. shutter lag: press to picture received (kestrel-cli shoot --trace) on a
#     15 fps 8 MP source, as a ratio of the frame interval;
#  2. live view CPU: the kestrel window showing a 1280x720 30 fps source
#     against gst-launch-1.0 showing the same source in a window, one after
#     the other on the same X server (Xvfb) for $SECONDS_EACH s (default 20),
#     $ROUNDS times (default 3), alternating; the ratio of the summed ticks.
#     The X server's own ticks during each run are shown beside them: it
#     copies gst-launch's whole frames to the screen, and kestrel's window.
#     A third program, gst-launch-1.0 doing the live view's own job (the
#     part of the frame the default 400x600 window shows, 540x720, scaled to
#     the 400x534 it is shown at), puts the ratio beside a like-for-like peer.
#     Where the build has bench/PaintFloor (the bench preset), its ticks are
#     shown too: a Qt window of the same size repainting itself as often,
#     filling itself with one colour, the floor of any Qt-painted live view.
# Usage: bench/compare-camera.sh [build folder]   (default build/bench)
set -euo pipefail
build="${1:-build/bench}"
seconds="${SECONDS_EACH:-20}"
cli="$build/src/cli/kestrel-cli"
gui="$build/src/gui/kestrel"
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# 1. Shutter lag, Standard mode, five pictures.
still='videotestsrc pattern=smpte ! video/x-raw,width=3264,height=2448,framerate=15/1'
"$cli" --config-dir "$work/config" shoot --mode 1 --count 5 --dcim "$work/DCIM" \
  --camera "gst:$still" --trace >"$work/trace"
awk '/picture requested/ { t = $1 } /picture received/ { lag += $1 - t; n++ }
     END { interval = 1 / 15; printf "shutter lag: %.1f ms mean over %d stills = %.2f frame intervals (8 MP at 15 fps)\n",
           1000 * lag / n, n, (lag / n) / interval }' "$work/trace"

# 2. Live view CPU, on a display of our own.
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xserver=$!
sleep 1
live='videotestsrc pattern=smpte is-live=true ! video/x-raw,width=1280,height=720,framerate=30/1'
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
cpu_of() {  # "own X" CPU ticks a command and the X server use over $seconds, after a 2 s start
  "$@" >/dev/null 2>&1 &
  local pid=$! before after xbefore xafter
  sleep 2
  before="$(ticks "$pid")"; xbefore="$(ticks "$xserver")"
  sleep "$seconds"
  after="$(ticks "$pid")"; xafter="$(ticks "$xserver")"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo "$(( after - before )) $(( xafter - xbefore ))"
}
rounds="${ROUNDS:-3}"
# The default window's live view covers 400x534 device pixels: a 1280x720
# frame is shown 949x534 with its middle 540 columns on screen.
shown='videocrop left=370 right=370 ! videoscale ! video/x-raw,width=400,height=534'
k_own=0 k_x=0 g_own=0 g_x=0 s_own=0 s_x=0
for ((round = 1; round <= rounds; round++)); do
  read -r own x < <(DISPLAY="$display" QT_QPA_PLATFORM=xcb cpu_of "$gui" --config-dir "$work/config" \
    --dcim "$work/DCIM" --camera "gst:$live")
  k_own=$((k_own + own)) k_x=$((k_x + x))
  echo "round $round: kestrel $own ticks (X server $x)"
  # shellcheck disable=SC2086
  read -r own x < <(DISPLAY="$display" cpu_of gst-launch-1.0 -q $live ! videoconvert ! ximagesink)
  g_own=$((g_own + own)) g_x=$((g_x + x))
  echo "round $round: gst-launch-1.0 $own ticks (X server $x)"
  # shellcheck disable=SC2086
  read -r own x < <(DISPLAY="$display" cpu_of gst-launch-1.0 -q $live ! $shown ! videoconvert ! ximagesink)
  s_own=$((s_own + own)) s_x=$((s_x + x))
  echo "round $round: gst-launch-1.0 scaled like the live view $own ticks (X server $x)"
done
if [ -x "$build/bench/PaintFloor" ]; then
  read -r own x < <(DISPLAY="$display" QT_QPA_PLATFORM=xcb cpu_of "$build/bench/PaintFloor")
  echo "a Qt window repainting 400x600 every 33 ms, nothing else: $own ticks in $seconds s (X server $x)"
fi
awk -v k="$k_own" -v kx="$k_x" -v g="$g_own" -v gx="$g_x" -v p="$s_own" -v px="$s_x" -v s="$seconds" -v r="$rounds" 'BEGIN {
  printf "live view CPU, %d rounds of %d s: kestrel %d ticks, gst-launch-1.0 %d ticks: ratio %.2f\n", r, s, k, g, k / g
  printf "with the X server'"'"'s ticks added: kestrel %d, gst-launch-1.0 %d: ratio %.2f\n", k + kx, g + gx, (k + kx) / (g + gx)
  printf "against gst-launch-1.0 scaled like the live view: %d ticks: ratio %.2f (with the X server'"'"'s: %.2f)\n", p, k / p, (k + kx) / (p + px) }'
