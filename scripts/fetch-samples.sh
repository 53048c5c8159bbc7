#!/usr/bin/env bash
# Real photos with EXIF blocks from other cameras and programs, for the EXIF
# tests: taken from Debian's own packages (goexif's and jpeg-decoder's test
# photos: GPS tags, maker notes, thumbnails, progressive scans, corrupt EXIF).
#
#   scripts/fetch-samples.sh [DEST]     (default build/samples)
# Leaves the photos in DEST/jpeg; does nothing when they are already there.
set -euo pipefail
cd "$(dirname "$0")/.."
dest="${1:-build/samples}"
packages=(golang-github-rwcarlsen-goexif-dev librust-jpeg-decoder-dev)
[ -f "$dest/jpeg/.complete" ] && exit 0

mkdir -p "$dest/debs" "$dest/jpeg"
download() { (cd "$dest/debs" && apt-get download "${packages[@]}" >/dev/null 2>&1); }
if ! download; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  download
fi
rm -rf "$dest/extract"
for deb in "$dest"/debs/*.deb; do dpkg-deb -x "$deb" "$dest/extract"; done
find "$dest/extract" -iname '*.jpg' -exec cp {} "$dest/jpeg/" \;
rm -rf "$dest/extract"
touch "$dest/jpeg/.complete"
echo "samples: $(find "$dest/jpeg" -name '*.jpg' | wc -l) photos in $dest/jpeg" >&2
