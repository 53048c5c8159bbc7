#!/usr/bin/env bash
# Real photos from Debian's own packages, for the tests; nothing is fetched
# from anywhere else.
#  - DEST/jpeg: photos with EXIF blocks from other cameras and programs, for
#    the EXIF tests (goexif's and jpeg-decoder's test photos: GPS tags, maker
#    notes, thumbnails, progressive scans, corrupt EXIF).
#  - DEST/faces: photographs of people and of scenes without anyone, for the
#    Faces mode: scikit-image's sample data (astronaut.png, Eileen Collins
#    smiling, NASA, public domain; camera.png, a man in profile behind a
#    camera, CC0, Lav Varshney; coffee.png, CC0, Rachel Michetti; chelsea.png,
#    a cat, CC0, Stefan van der Walt; rocket.jpg, SpaceX, public domain) and
#    matplotlib's (grace_hopper.jpg, Grace Hopper unsmiling, US Navy, public
#    domain).
#
#   scripts/fetch-samples.sh [DEST]     (default build/samples)
# Does nothing for a set that is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
dest="${1:-build/samples}"

# fetch SET PACKAGES... -- PATTERNS...: the files of the packages whose names
# match a pattern, copied flat into DEST/SET.
fetch() {
  local set="$1"; shift
  local packages=() patterns=()
  while [ "$1" != "--" ]; do packages+=("$1"); shift; done
  shift
  patterns=("$@")
  [ -f "$dest/$set/.complete" ] && return 0
  mkdir -p "$dest/debs-$set" "$dest/$set"
  download() { (cd "$dest/debs-$set" && apt-get download "${packages[@]}" >/dev/null 2>&1); }
  if ! download; then
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    download
  fi
  rm -rf "$dest/extract"
  for deb in "$dest/debs-$set"/*.deb; do dpkg-deb -x "$deb" "$dest/extract"; done
  for pattern in "${patterns[@]}"; do
    find "$dest/extract" -ipath "$pattern" -exec cp {} "$dest/$set/" \;
  done
  rm -rf "$dest/extract" "$dest/debs-$set"
  touch "$dest/$set/.complete"
  echo "samples: $(find "$dest/$set" -type f ! -name .complete | wc -l) files in $dest/$set" >&2
}

fetch jpeg golang-github-rwcarlsen-goexif-dev librust-jpeg-decoder-dev -- '*.jpg'
skimage='*/skimage/data'
fetch faces python3-skimage python-matplotlib-data -- \
  "$skimage/astronaut.png" "$skimage/camera.png" "$skimage/coffee.png" \
  "$skimage/chelsea.png" "$skimage/rocket.jpg" '*/sample_data/grace_hopper.jpg'
