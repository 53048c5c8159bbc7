#!/usr/bin/env bash
# Installs the build into a fresh temporary prefix and runs what was
# installed; validates the AppStream metainfo and the desktop entry; builds
# the Debian packages (kestrel, and kestrel-faces where the face finder
# module is built) and checks their contents and what they depend on.
#
#   install-test.sh BUILD_DIR
# A cross build's programs run in KESTREL_TEST_EMULATOR (its words), and its
# package is for KESTREL_PACKAGE_ARCHITECTURE (else this machine's).
set -euo pipefail
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
read -r -a emulator <<<"${KESTREL_TEST_EMULATOR:-}"
run() { "${emulator[@]}" "$@"; }
# Emulated, on a machine without binfmt_misc: the kestrel-cli-camera that
# kestrel-cli execs, in the folder given, is run in the emulator (once every
# check of what was installed is done).
emulate_camera_program() {
  [ "${#emulator[@]}" -gt 0 ] || return 0
  mv "$1/kestrel-cli-camera" "$1/kestrel-cli-camera.aarch64"
  "$here/../support/emulated-program.sh" "$1/kestrel-cli-camera.aarch64" "$1/kestrel-cli-camera" "${emulator[@]}"
}

cmake --install "$build" --prefix "$prefix" --strip >/dev/null
for file in bin/kestrel bin/kestrel-cli libexec/kestrel-cli-camera share/kestrel/beep.wav \
            share/applications/org.kestrelcamera.Kestrel.desktop \
            share/metainfo/org.kestrelcamera.Kestrel.metainfo.xml \
            share/icons/hicolor/scalable/apps/org.kestrelcamera.Kestrel.svg \
            share/dbus-1/services/org.kestrelcamera.Kestrel.service \
            share/doc/kestrel/copyright; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done

# The session bus starts the installed program by its name, as the desktop entry's DBusActivatable asks.
grep -qx "Exec=$prefix/bin/kestrel" "$prefix/share/dbus-1/services/org.kestrelcamera.Kestrel.service" ||
  { echo "the D-Bus service does not start $prefix/bin/kestrel" >&2; exit 1; }

# The licence, as Debian's tools and the software centres read it: a
# machine-readable copyright file and the metainfo's project licence.
check_copyright() {
  head -1 "$1" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' &&
    grep -q '^License: GPL-3.0-or-later$' "$1" ||
    { echo "$1 does not say GPL-3.0-or-later in the machine-readable format" >&2; exit 1; }
}
check_copyright "$prefix/share/doc/kestrel/copyright"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$prefix/share/metainfo/org.kestrelcamera.Kestrel.metainfo.xml" ||
  { echo "the metainfo does not give the project licence GPL-3.0-or-later" >&2; exit 1; }

# The installed programs run, and find their bundle beside them.
emulate_camera_program "$prefix/libexec"
run "$prefix/bin/kestrel-cli" --help-all | grep -q -- '--virtual-time'
run "$prefix/bin/kestrel-cli" --version | grep -q '^kestrel-cli [0-9]'
run "$prefix/bin/kestrel" --version | grep -q '^kestrel [0-9]'
run "$prefix/bin/kestrel-cli" --config-dir "$work/config" shoot --mode 2 --virtual-time \
  --dcim "$work/DCIM" --max-time 30 --trace | grep -q beep   # the timer's beeps come from share/kestrel
QT_QPA_PLATFORM=offscreen run "$prefix/bin/kestrel" --simulate --startup-time --config-dir "$work/config" \
  --dcim "$work/DCIM" | grep -q 'first frame'

# The metainfo and the desktop entry as the software centres and menus read
# them: any complaint, even a hint, fails.
appstreamcli validate --no-net "$prefix/share/metainfo/org.kestrelcamera.Kestrel.metainfo.xml" >/dev/null
complaints="$(desktop-file-validate "$prefix/share/applications/org.kestrelcamera.Kestrel.desktop" 2>&1 ||
  echo "desktop-file-validate failed")"
[ -z "$complaints" ] || { echo "$complaints" >&2; exit 1; }

# The face finder module, where this build found dlib: installed with the rest.
faces_built=false
if [ -f "$build/lib/kestrel/kestrel-faces.so" ]; then
  faces_built=true
  for file in lib/kestrel/kestrel-faces.so share/doc/kestrel-faces/copyright; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
  done
fi

# The Debian packages hold the same files and say what they depend on: the
# programs in kestrel, the face finder module in kestrel-faces (where it is
# built), so that kestrel installs without dlib.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
deb="$(ls "$work"/package/kestrel_*.deb)"
contents() { dpkg-deb --contents "$1" | awk '{ print $NF }'; }
has_files() {
  local deb="$1"; shift
  local listed; listed="$(contents "$deb")"
  for file in "$@"; do
    grep -qx "$file" <<<"$listed" || { echo "not in $(basename "$deb"): $file" >&2; exit 1; }
  done
}
has_files "$deb" ./usr/bin/kestrel ./usr/bin/kestrel-cli ./usr/libexec/kestrel-cli-camera ./usr/share/kestrel/beep.wav \
  ./usr/share/metainfo/org.kestrelcamera.Kestrel.metainfo.xml \
  ./usr/share/dbus-1/services/org.kestrelcamera.Kestrel.service \
  ./usr/share/doc/kestrel/copyright
! contents "$deb" | grep -q 'kestrel-faces' || { echo "the face finder module is in $(basename "$deb")" >&2; exit 1; }
wanted_architecture="${KESTREL_PACKAGE_ARCHITECTURE:-$(dpkg --print-architecture)}"
check_architecture() {
  local architecture; architecture="$(dpkg-deb --field "$1" Architecture)"
  [ "$architecture" = "$wanted_architecture" ] ||
    { echo "$(basename "$1") is for $architecture, not $wanted_architecture" >&2; exit 1; }
}
check_architecture "$deb"
depends="$(dpkg-deb --field "$deb" Depends)"
for needed in libqt6widgets6 qt6-qpa-plugins libturbojpeg0 libcairo2 libpulse0 libhwy1 gstreamer1.0-plugins-good; do
  grep -q "$needed" <<<"$depends" || { echo "the package does not depend on $needed: $depends" >&2; exit 1; }
done
# dlib is the face finder's alone.
if grep -q "dlib" <<<"$depends"; then echo "the package depends on dlib: $depends" >&2; exit 1; fi
if grep -q "libqt6multimedia" <<<"$depends"; then echo "the package still depends on Qt Multimedia" >&2; exit 1; fi
recommends="$(dpkg-deb --field "$deb" Recommends)"
for wanted in gstreamer1.0-pipewire gstreamer1.0-libcamera qt6-wayland; do
  grep -q "$wanted" <<<"$recommends" || { echo "the package does not recommend $wanted: $recommends" >&2; exit 1; }
done
faces_debs=("$work"/package/kestrel-faces_*.deb)
if $faces_built; then
  [ -f "${faces_debs[0]}" ] || { echo "no kestrel-faces package" >&2; exit 1; }
  faces_deb="${faces_debs[0]}"
  grep -q "kestrel-faces" <<<"$recommends" || { echo "the package does not recommend kestrel-faces: $recommends" >&2; exit 1; }
  has_files "$faces_deb" ./usr/lib/kestrel/kestrel-faces.so ./usr/share/doc/kestrel-faces/copyright
  check_architecture "$faces_deb"
  faces_depends="$(dpkg-deb --field "$faces_deb" Depends)"
  version="$(dpkg-deb --field "$deb" Version)"
  for needed in "kestrel (= $version)" libdlib19.1 libdlib-data; do
    grep -qF "$needed" <<<"$faces_depends" ||
      { echo "kestrel-faces does not depend on $needed: $faces_depends" >&2; exit 1; }
  done
else
  # Without dlib (the cross build's root has none) there is no module, and no package of it.
  [ ! -e "${faces_debs[0]}" ] || { echo "a kestrel-faces package without the module" >&2; exit 1; }
fi
# What the package installs runs: its files unpacked, the programs started from them.
dpkg-deb -x "$deb" "$work/unpacked"
check_copyright "$work/unpacked/usr/share/doc/kestrel/copyright"
if $faces_built; then
  dpkg-deb -x "$faces_deb" "$work/unpacked-faces"
  check_copyright "$work/unpacked-faces/usr/share/doc/kestrel-faces/copyright"
fi
emulate_camera_program "$work/unpacked/usr/libexec"
run "$work/unpacked/usr/bin/kestrel-cli" --config-dir "$work/config2" shoot --mode 2 --virtual-time \
  --dcim "$work/DCIM2" --max-time 30 --trace | grep -q beep
QT_QPA_PLATFORM=offscreen run "$work/unpacked/usr/bin/kestrel" --simulate --startup-time --config-dir "$work/config2" \
  --dcim "$work/DCIM2" | grep -q 'first frame'
# kestrel alone offers no Faces mode; with kestrel-faces unpacked beside it,
# the mode is taken (its count-down outlasts the second given: no look).
faces_mode() {
  local status=0
  run "$work/unpacked/usr/bin/kestrel-cli" --config-dir "$work/config2" shoot --mode 11 --virtual-time \
    --dcim "$work/DCIM2" --max-time 1 >/dev/null 2>"$work/faces.err" || status=$?
  echo "$status"
}
[ "$(faces_mode)" = 2 ] && grep -q "is not installed" "$work/faces.err" ||
  { echo "kestrel without kestrel-faces did not refuse the Faces mode:" >&2; cat "$work/faces.err" >&2; exit 1; }
if $faces_built; then
  cp -a "$work/unpacked-faces/usr/." "$work/unpacked/usr/"
  [ "$(faces_mode)" = 3 ] ||
    { echo "kestrel with kestrel-faces did not take the Faces mode:" >&2; cat "$work/faces.err" >&2; exit 1; }
fi
echo "installed, ran, validated and packaged"
