#!/usr/bin/env bash
# Every Debian package Kestrel needs, in one place, and their installation.
#
#   scripts/deps.sh run     packages to build and run Kestrel
#   scripts/deps.sh test    those plus the packages the tests and sanitizers need
#   scripts/deps.sh bench   those plus the packages bench/ needs (Google Benchmark, libvips)
#   scripts/deps.sh arm64   the test set plus the cross toolchain and qemu-user, for
#                           the aarch64 build and its suite (scripts/test.sh arm64); and
#                           dpkg told of arm64 packages, which the aarch64 root is made of
#   scripts/deps.sh list [run|test|bench|arm64|arm64-sysroot|arm64-sysroot-left-out]
#                           print the package names only
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
  libdlib-dev       # the Faces mode's face finder (HOG detector, shape predictor): its module
  libdlib-data      # is built where dlib is found; the 68-point landmark model it reads
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
  ccache            # the compiler cache every build folder and clone shares
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
  libopencv-dev        # bench/face-question.sh: OpenCV's Haar cascades, the face finder's peer,
  opencv-data          # and their trained cascades
)

# In addition, to cross-build for aarch64 and run that build's suite emulated.
ARM64_PACKAGES=(
  crossbuild-essential-arm64
  qemu-user         # qemu-aarch64: the suite runs on an emulated Cortex-A72 (NEON, no SVE)
)

# The arm64 packages the aarch64 root (scripts/arm64-sysroot.sh) is unpacked
# from, with what they depend on: the build's libraries and headers, and what
# the suite loads at run time (Qt's platform plugins, GStreamer's elements,
# PipeWire's client modules).
ARM64_SYSROOT_PACKAGES=(
  libplist-dev
  libcairo2-dev
  libturbojpeg0-dev
  libjpeg-dev
  libexif-dev
  libcli11-dev
  nlohmann-json3-dev
  libsndfile1-dev
  libpulse-dev
  libcanberra-dev
  qt6-base-dev
  qt6-qpa-plugins
  qt6-wayland
  qt6-positioning-dev
  libgstreamer1.0-dev
  libgstreamer-plugins-base1.0-dev
  libgstreamer-plugins-bad1.0-dev
  gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good
  gstreamer1.0-pipewire
  gstreamer1.0-libcamera
  libspa-0.2-modules
  libgl-dev
  libhwy-dev
  libgtest-dev
  libgmock-dev
)

# What those depend on that neither the build nor the suite uses, left out
# of the root: OpenCV (which the bad plugins' headers pull in), Mesa's
# drivers (the suite draws offscreen), and the interpreters and init system.
ARM64_SYSROOT_LEFT_OUT=(
  libopencv-dev
  libgl1-mesa-dri
  perl
  python3
  systemd
)

packages_for() {
  case "$1" in
    run) printf '%s\n' "${RUN_PACKAGES[@]}" ;;
    test) printf '%s\n' "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" ;;
    bench) printf '%s\n' "${RUN_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" ;;
    arm64) printf '%s\n' "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${ARM64_PACKAGES[@]}" ;;
    arm64-sysroot) printf '%s\n' "${ARM64_SYSROOT_PACKAGES[@]}" ;;
    arm64-sysroot-left-out) printf '%s\n' "${ARM64_SYSROOT_LEFT_OUT[@]}" ;;
    *) echo "deps.sh: unknown package set '$1' (run, test, bench, arm64, arm64-sysroot or arm64-sysroot-left-out)" >&2; exit 2 ;;
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
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  # The aarch64 root is unpacked from arm64 packages: apt must know of them.
  if [ "$1" = arm64 ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    "${sudo[@]}" dpkg --add-architecture arm64
    "${sudo[@]}" apt-get update -qq
  fi
  mapfile -t wanted < <(packages_for "$1")
  mapfile -t missing < <(missing_from "${wanted[@]}")
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

case "${1:-}" in
  run|test|bench|arm64) install_set "$1" ;;
  list) packages_for "${2:-test}" ;;
  *) echo "usage: scripts/deps.sh run|test|bench|arm64|list [SET]" >&2; exit 2 ;;
esac
