#!/usr/bin/env bash
# Every Debian package Kestrel needs, in one place, and their installation.
#
#   scripts/deps.sh run     packages to build and run Kestrel
#   scripts/deps.sh test    those plus the packages the tests and sanitizers need
#   scripts/deps.sh bench   those plus the packages bench/ needs (Google Benchmark, libvips)
#   scripts/deps.sh list [run|test|bench]   print the package names only
#
# Idempotent: packages already installed are not touched and apt is not
# consulted at all when nothing is missing. Uses sudo only when not root.
set -euo pipefail

# To build and run.
RUN_PACKAGES=(
  build-essential
  cmake
  ninja-build
  pkg-config
  libplist-dev
  libcairo2-dev
  libturbojpeg0-dev
  libjpeg-dev
  libexif-dev
  fonts-dejavu-core
  libcli11-dev
  nlohmann-json3-dev
  libsndfile1-dev
  libpulse-dev
  libcanberra-dev
  qt6-base-dev
  libgstreamer1.0-dev
  libgstreamer-plugins-base1.0-dev
  libgstreamer-plugins-bad1.0-dev   # GstPhotography: a camera's flash
  gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good
  gstreamer1.0-pipewire
  gstreamer1.0-libcamera
  qt6-positioning-dev
  libgl-dev
  libhwy-dev        # Highway: the pixel kernels, dispatched at run time to the processor's vectors
  qt6-wayland       # the window on Wayland desktops and phone shells
)

# In addition, to build and pass the tests.
TEST_PACKAGES=(
  libgtest-dev
  libgmock-dev
  libimage-exiftool-perl
  clang
  pulseaudio
  pulseaudio-utils
  appstream
  desktop-file-utils
  dpkg-dev
  file        # CPack's Debian generator reads the programs' types with it
  dbus-daemon       # a private session bus for the tests of the window's D-Bus actions
  libglib2.0-bin    # gdbus, as a desktop calls those actions
  xvfb              # an X display for the screen-reader test (Qt speaks AT-SPI on X11)
  xauth
  at-spi2-core      # the accessibility bus
  python3-pyatspi   # the screen-reader side of that test
  python3-gi        # the fake camera portal the camera tests talk to (on a private bus)
  pipewire          # a private PipeWire daemon with PipeWire's test camera
  pipewire-bin      # pw-link: the camera tests link that camera as a session manager would
  libspa-0.2-modules  # PipeWire's test video source
  weston            # a headless Wayland compositor for the Wayland test
)

# In addition, to run the benchmarks and time the peers side by side (bench/).
BENCH_PACKAGES=(
  libbenchmark-dev
  libvips-dev
  libvips-tools
  hyperfine
  sox
  espeak-ng
  libjpeg-turbo-progs
  exiv2               # the EXIF commands' peer (bench/compare-cli.sh)
  gstreamer1.0-tools   # gst-launch-1.0, the live view's peer
  gstreamer1.0-x       # ximagesink
  xvfb
  dbus-daemon          # bench/main-loop-stall.sh: the window on a private session bus,
  libglib2.0-bin       # found with gdbus,
  python3-gi           # and asked every 5 ms by bench/stall_probe.py
)

packages_for() {
  case "$1" in
    run) printf '%s\n' "${RUN_PACKAGES[@]}" ;;
    test) printf '%s\n' "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" ;;
    bench) printf '%s\n' "${RUN_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" ;;
    *) echo "deps.sh: unknown package set '$1' (run, test or bench)" >&2; exit 2 ;;
  esac
}

missing_from() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
      echo "$pkg"
    fi
  done
}

install_set() {
  local -a wanted missing
  mapfile -t wanted < <(packages_for "$1")
  mapfile -t missing < <(missing_from "${wanted[@]}")
  [ "${#missing[@]}" -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing Debian packages: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

case "${1:-}" in
  run|test|bench) install_set "$1" ;;
  list) packages_for "${2:-test}" ;;
  *) echo "usage: scripts/deps.sh run|test|bench|list [run|test|bench]" >&2; exit 2 ;;
esac
