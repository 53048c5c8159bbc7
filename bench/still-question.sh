#!/usr/bin/env bash
# How much of the live view changes between two snapshots, as the stabilizer
# measures it on a device without an accelerometer (ten polls a second, the
# share of the view whose luma moved by more than 24 levels), on still and
# moving scenes from GStreamer sources in real time: test patterns that do
# not move, a real photo, camera noise (snow blended over the photo), a
# pattern scrolled a pixel or two a frame (a hand's drift), a moving ball.
# Each scene runs `kestrel-cli shoot --mode 0 --accel none --camera gst:... --trace`
# at each sensitivity and reads the traced figures.
#
#   bench/still-question.sh            prints a Markdown table
#   KESTREL_CLI=path/to/kestrel-cli bench/still-question.sh   uses that build
#   PHOTO=path/to/photo.jpg bench/still-question.sh           another photo
set -euo pipefail
cd "$(dirname "$0")/.."
cli="$(realpath "${KESTREL_CLI:-build/default/src/cli/kestrel-cli}")"
photo="$(realpath "${PHOTO:-build/samples/jpeg/large_image.jpg}")"
[ -x "$cli" ] || { echo "no kestrel-cli at $cli: build first" >&2; exit 1; }
[ -f "$photo" ] || { echo "no photo at $photo: run scripts/fetch-samples.sh" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

size="width=640,height=480,framerate=30/1"
still_photo="filesrc location=\"$photo\" ! jpegdec ! imagefreeze is-live=true ! videoconvert ! videoscale ! video/x-raw,$size"
snow="videotestsrc is-live=true pattern=snow ! video/x-raw,$size"
blended() { echo "$still_photo ! mix.sink_0 $snow ! mix.sink_1 compositor name=mix sink_1::alpha=$1"; }
scenes=(
  "bars, still|videotestsrc is-live=true pattern=smpte75 ! video/x-raw,$size"
  "pinwheel, still|videotestsrc is-live=true pattern=pinwheel ! video/x-raw,$size"
  "a real photo, still|$still_photo"
  "SMPTE bars (a patch of snow in a corner)|videotestsrc is-live=true pattern=smpte ! video/x-raw,$size"
  "the photo, snow at 10 %|$(blended 0.10)"
  "the photo, snow at 20 %|$(blended 0.20)"
  "the photo, snow at 30 %|$(blended 0.30)"
  "the photo, snow at 40 %|$(blended 0.40)"
  "bars scrolled 1 px a frame|videotestsrc is-live=true pattern=smpte75 horizontal-speed=1 ! video/x-raw,$size"
  "bars scrolled 2 px a frame|videotestsrc is-live=true pattern=smpte75 horizontal-speed=2 ! video/x-raw,$size"
  "pinwheel scrolled 1 px a frame|videotestsrc is-live=true pattern=pinwheel horizontal-speed=1 ! video/x-raw,$size"
  "a moving ball|videotestsrc is-live=true pattern=ball ! video/x-raw,$size"
)
# The stored sensitivity of the screen's first, middle and last choice.
levels=(2 0 3)

# Smallest, 10th percentile, median, 90th percentile and largest of the
# figures on stdin (the first comparison of each run left out: the camera
# starting, its first frames black or not yet the scene's).
summary() {
  python3 -c '
import sys
v = sorted(float(x) for x in sys.stdin.read().split())
if not v: print("- | - | - | - | - | 0"); sys.exit()
q = lambda p: v[min(len(v) - 1, int(p * len(v)))]
print("%.4f | %.4f | %.4f | %.4f | %.4f | %d" % (v[0], q(0.1), q(0.5), q(0.9), v[-1], len(v)))'
}

echo "| scene | smallest | 10 % | median | 90 % | largest | comparisons | still after (first / middle / last choice) |"
echo "|---|---|---|---|---|---|---|---|"
for entry in "${scenes[@]}"; do
  name="${entry%%|*}"
  description="${entry#*|}"
  figures=""
  verdicts=()
  for level in "${levels[@]}"; do
    config="$work/config-$level"
    "$cli" --config-dir "$config" settings set "stabilizer sensitivity" "$level" >/dev/null
    # Three pictures when it is still (each one's second measured), 4 s when it is not.
    out="$("$cli" --config-dir "$config" shoot --mode 0 --accel none --camera "gst:$description" \
            --dcim "$work/DCIM" --count 3 --max-time 4 --trace 2>/dev/null || true)"
    figures+="$(awk '
      $2 == "sensing" && $3 == "started" { first = 1 }
      $2 == "picture" && $3 == "change" { if (!first) print $4; first = 0 }' <<<"$out")"$'\n'
    verdicts+=("$(awk '
      $2 == "sensing" && $3 == "started" { start = $1 }
      $2 == "picture" && $3 == "requested" && !done { printf "%.1f s", $1 - start; done = 1 }
      END { if (!done) printf "not in 4 s" }' <<<"$out")")
  done
  echo "| $name | $(summary <<<"$figures") | ${verdicts[0]} / ${verdicts[1]} / ${verdicts[2]} |"
done
