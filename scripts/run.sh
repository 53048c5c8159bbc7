#!/usr/bin/env bash
# Installs what Kestrel needs, builds it, and opens the Kestrel window: on the
# real sensors where they are found, on simulated devices otherwise.
# Arguments are passed to the window (kestrel --help lists them).
#
# On a machine without a display it says so and runs a short headless demo
# instead: a few shooting modes through `kestrel-cli shoot --virtual-time`
# into a demo DCIM folder, printing the paths of the pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run >&2
cmake --preset release >/dev/null
cmake --build --preset release --target kestrel kestrel-cli >&2
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/gui/kestrel "$@"
fi
demo="${KESTREL_DEMO_DIR:-$PWD/build/demo}"
echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset): running a headless demo into $demo/DCIM instead." >&2
cli=build/release/src/cli/kestrel-cli
mkdir -p "$demo"
for run in "1 steady still quiet" "0 steady still quiet" "3 toss still quiet" "4 steady moving quiet" \
           "5 steady still clap" "6 steady still quiet" "9 steady still quiet"; do
  read -r mode accel scene mic <<<"$run"
  echo "mode $mode:" >&2
  "$cli" --config-dir "$demo/config" shoot --mode "$mode" --accel "$accel" --scene "$scene" --mic "$mic" \
    --virtual-time --max-time 60 --dcim "$demo/DCIM"
done
