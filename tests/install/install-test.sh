#!/usr/bin/env bash
# Installs the build into a fresh temporary prefix and runs what was
# installed; validates the AppStream metainfo and the desktop entry; builds
# the Debian package and checks its contents.
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

# The Debian package holds the same files and says what it depends on.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
deb="$(ls "$work"/package/kestrel_*.deb)"
contents="$(dpkg-deb --contents "$deb")"
for file in ./usr/bin/kestrel ./usr/bin/kestrel-cli ./usr/libexec/kestrel-cli-camera ./usr/share/kestrel/beep.wav \
            ./usr/share/metainfo/org.kestrelcamera.Kestrel.metainfo.xml \
            ./usr/share/dbus-1/services/org.kestrelcamera.Kestrel.service \
            ./usr/share/doc/kestrel/copyright; do
  grep -q " $file\$" <<<"$contents" || { echo "not in the package: $file" >&2; exit 1; }
done
# The face finder module, where this build found dlib.
if [ -f "$build/lib/kestrel/kestrel-faces.so" ]; then
  grep -q " ./usr/lib/kestrel/kestrel-faces.so\$" <<<"$contents" ||
    { echo "not in the package: the face finder module" >&2; exit 1; }
fi
architecture="$(dpkg-deb --field "$deb" Architecture)"
[ "$architecture" = "${KESTREL_PACKAGE_ARCHITECTURE:-$(dpkg --print-architecture)}" ] ||
  { echo "the package is for $architecture, not ${KESTREL_PACKAGE_ARCHITECTURE:-$(dpkg --print-architecture)}" >&2; exit 1; }
depends="$(dpkg-deb --field "$deb" Depends)"
for needed in libqt6widgets6 qt6-qpa-plugins libturbojpeg0 libcairo2 libpulse0 libhwy1 gstreamer1.0-plugins-good; do
  grep -q "$needed" <<<"$depends" || { echo "the package does not depend on $needed: $depends" >&2; exit 1; }
done
recommends="$(dpkg-deb --field "$deb" Recommends)"
for wanted in gstreamer1.0-pipewire gstreamer1.0-libcamera qt6-wayland libdlib-data; do
  grep -q "$wanted" <<<"$recommends" || { echo "the package does not recommend $wanted: $recommends" >&2; exit 1; }
done
if grep -q "libqt6multimedia" <<<"$depends"; then echo "the package still depends on Qt Multimedia" >&2; exit 1; fi
# What the package installs runs: its files unpacked, the programs started from them.
dpkg-deb -x "$deb" "$work/unpacked"
check_copyright "$work/unpacked/usr/share/doc/kestrel/copyright"
emulate_camera_program "$work/unpacked/usr/libexec"
run "$work/unpacked/usr/bin/kestrel-cli" --config-dir "$work/config2" shoot --mode 2 --virtual-time \
  --dcim "$work/DCIM2" --max-time 30 --trace | grep -q beep
QT_QPA_PLATFORM=offscreen run "$work/unpacked/usr/bin/kestrel" --simulate --startup-time --config-dir "$work/config2" \
  --dcim "$work/DCIM2" | grep -q 'first frame'
echo "installed, ran, validated and packaged"
