#!/usr/bin/env bash
# An aarch64 root for the cross build and for running the arm64 build under
# qemu-user: Debian's arm64 packages (scripts/deps.sh list arm64-sysroot and
# what they depend on) unpacked into a folder, as apt would install them.
# An unpacked root rather than multiarch: some arm64 -dev packages cannot be
# installed beside their amd64 twins (libgstreamer-plugins-base1.0-dev).
#
#   scripts/arm64-sysroot.sh [DIR]
# DIR: $KESTREL_ARM64_SYSROOT, else ~/.cache/kestrel/arm64-sysroot (outside
# the clone, so that a new clone finds it made). Prints DIR. Made again only
# when the packages' list or one of their versions changed; the downloaded
# packages are kept beside it (DIR.debs) and fetched once.
set -euo pipefail
cd "$(dirname "$0")/.."
root="${1:-${KESTREL_ARM64_SYSROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/kestrel/arm64-sysroot}}"
debs="$root.debs"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  echo "arm64-sysroot: dpkg knows no arm64 packages: run scripts/deps.sh arm64 first" >&2
  exit 1
fi
mapfile -t wanted < <(scripts/deps.sh list arm64-sysroot)
mapfile -t left_out < <(scripts/deps.sh list arm64-sysroot-left-out)

# The packages' closure as apt resolves it for an arm64 machine with nothing
# installed, less what the build and the tests never use (OpenCV, which
# GStreamer's bad plugins' headers pull in; Mesa's drivers; perl, python,
# systemd): those are marked installed, at a version just above the archive's
# so that their dependents' version bounds still hold.
status="$work/status"
: >"$status"
for package in "${left_out[@]}"; do
  record="$(apt-cache show --no-all-versions "$package:arm64")"
  grep -E '^(Package|Architecture|Multi-Arch|Provides):' <<<"$record" >>"$status"
  printf 'Version: %s+sysroot\nStatus: install ok installed\n\n' "$(sed -n 's/^Version: //p' <<<"$record")" >>"$status"
done
# apt as on an arm64 machine: names without an architecture are arm64 packages.
arm64_apt=(-o APT::Architecture=arm64 -o APT::Architectures::=arm64 -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
resolve() {
  apt-get -s "${arm64_apt[@]}" -o Dir::State::status="$status" install --no-install-recommends "${wanted[@]/%/:arm64}" |
    sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p' | sort
}
resolve >"$work/closure"
[ -s "$work/closure" ] || { echo "arm64-sysroot: apt resolved no packages" >&2; exit 1; }
stamp="$(sha256sum <"$work/closure" | cut -c1-64)"

# dpkg's record of the root's packages, at DIR/var/lib/dpkg, as if they were
# installed with the root's paths: dpkg-shlibdeps (the arm64 Debian package's
# dependencies) finds there which package each library comes from and its
# symbols file. The paths under /lib, /bin and /sbin are listed under /usr too,
# as the merged /usr has them.
make_dpkg_database() {
  local root="$1" db="$1/var/lib/dpkg.new" control="$work/control" name version base deb info
  rm -rf "$db"
  mkdir -p "$db/info" "$db/updates" "$db/triggers" "$control"
  echo 1 >"$db/info/format"
  echo arm64 >"$db/arch"
  : >"$db/status"
  while IFS='=' read -r name version; do
    base="${name%:*}"
    for deb in "$debs/${base}_${version//:/%3a}_"{arm64,all}.deb; do
      [ -f "$deb" ] || continue
      rm -rf "${control:?}"/*
      dpkg-deb -e "$deb" "$control"
      { sed '/^Package:/a Status: install ok installed' "$control/control"; echo; } >>"$db/status"
      info="$base"
      if grep -q '^Multi-Arch: same$' "$control/control"; then info="$base:arm64"; fi
      dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's#^\./\(..*[^/]\)$#/\1#p' |
        sed -e "s#^#$root#" -e p -e "s#^$root/\(lib\|bin\|sbin\)/#$root/usr/\1/#" | sort -u >"$db/info/$info.list"
      for file in shlibs symbols; do
        if [ -f "$control/$file" ]; then cp "$control/$file" "$db/info/$info.$file"; fi
      done
    done
  done <"$work/closure"
  echo "$stamp" >"$db/.sysroot-stamp"
  rm -rf "$root/var/lib/dpkg"
  mv "$db" "$root/var/lib/dpkg"
}

if [ -f "$root/.sysroot-stamp" ] && [ "$(cat "$root/.sysroot-stamp")" = "$stamp" ]; then
  if [ "$(cat "$root/var/lib/dpkg/.sysroot-stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "arm64-sysroot: recording the packages of $root" >&2
    make_dpkg_database "$root"
  fi
  echo "$root"
  exit 0
fi

# Fetch what is not downloaded yet (apt-get download names the files
# name_version_arch.deb, with the version's colon as %3a).
mkdir -p "$debs"
missing=()
while IFS='=' read -r name version; do
  base="${name%:*}"
  file="${base}_${version//:/%3a}_"
  [ -f "$debs/${file}arm64.deb" ] || [ -f "$debs/${file}all.deb" ] || missing+=("$name=$version")
done <"$work/closure"
if [ "${#missing[@]}" -gt 0 ]; then
  echo "arm64-sysroot: downloading ${#missing[@]} packages" >&2
  (cd "$debs" && apt-get download -qq "${arm64_apt[@]}" "${missing[@]}")
fi

echo "arm64-sysroot: unpacking $(wc -l <"$work/closure") packages into $root" >&2
new="$root.new"
rm -rf "$new"
mkdir -p "$new"
while IFS='=' read -r name version; do
  base="${name%:*}"
  for deb in "$debs/${base}_${version//:/%3a}_"{arm64,all}.deb; do
    if [ -f "$deb" ]; then dpkg-deb -x "$deb" "$new"; fi
  done
done <"$work/closure"

# The merged /usr of a Debian 12 install: /bin, /sbin and /lib are links into /usr.
for dir in bin sbin lib; do
  if [ -d "$new/$dir" ] && [ ! -L "$new/$dir" ]; then
    mkdir -p "$new/usr/$dir"
    cp -a "$new/$dir/." "$new/usr/$dir/"
    rm -rf "${new:?}/$dir"
  fi
  ln -sfn "usr/$dir" "$new/$dir"
done
# Links to absolute paths (libfoo.so -> /lib/aarch64-linux-gnu/libfoo.so.1)
# point into the root instead of the host.
while IFS= read -r -d '' link; do
  target="$(readlink "$link")"
  case "$target" in
    /*) ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$new$target")" "$link" ;;
  esac
done < <(find "$new" -type l -print0)
# Nothing that the emulator would take for the host's own folders: qemu-user
# looks a path up in the root first.
rm -rf "${new:?}"/{tmp,run,dev,proc,sys,home,root,work,var/run,var/lock,var/tmp}

echo "$stamp" >"$new/.sysroot-stamp"
rm -rf "$root"
mv "$new" "$root"
echo "arm64-sysroot: recording the packages of $root" >&2
make_dpkg_database "$root"
echo "$root"
