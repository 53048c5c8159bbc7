#!/usr/bin/env bash
# Does a save cost the same however many photos the store holds? Runs a
# virtual-time interval series (`kestrel-cli shoot --mode 2`, 640 x 480
# pictures, own store) of N pictures into synthetic stores already holding
# 100, 10,000 and 100,000 photos (or the sizes given), and prints the time
# per picture of each and its ratio to the smallest store's. A run of 20
# pictures before the run of 20 + N takes out what a run costs once (the
# process's start, the first full reading of the store): the difference is
# what N more saves cost.
#
#   bench/store-growth.sh [SIZE...]          (N = 200; PICTURES=n changes it)
#   KESTREL_CLI=path/to/kestrel-cli bench/store-growth.sh   uses that build
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -n "${KESTREL_CLI:-}" ]]; then
  cli="$(realpath "$KESTREL_CLI")"
else
  cmake --preset bench >/dev/null
  cmake --build --preset bench --target kestrel-cli kestrel-cli-camera >&2
  cli="$PWD/build/bench/src/cli/kestrel-cli"
fi
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(100 10000 100000)
pictures="${PICTURES:-200}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
config="$work/config"
for kv in "timer delay=0" "timer interval=2" "timer count=0" "full size photo=false"; do
  "$cli" --config-dir "$config" settings set "${kv%%=*}" "${kv#*=}" >/dev/null
done

# A DCIM tree of $2 photos in full folders of 999, with thumbnails and the record.
make_store() {
  python3 - "$1" "$2" <<'PY'
import os, sys
root, left = sys.argv[1], int(sys.argv[2])
keys, folder = [], 100
while left > 0:
    count = min(999, left)
    path = os.path.join(root, f"{folder}APPLE")
    os.makedirs(os.path.join(path, ".MISC"))
    for n in range(1, count + 1):
        name = f"IMG_{folder - 100}{n:03d}"
        open(os.path.join(path, name + ".JPG"), "wb").write(b"\xff\xd8\xff\xd9")
        open(os.path.join(path, ".MISC", name + ".THM"), "wb").write(b"\xff\xd8\xff\xd9")
    keys.append(f"<key>LastFileGroupNumber-{folder}</key><string>{count}</string>")
    left -= count
    folder += 1
os.makedirs(os.path.join(root, ".MISC"), exist_ok=True)
open(os.path.join(root, ".MISC", "Info.plist"), "w").write(
    '<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>' + "".join(keys) + "</dict></plist>")
PY
}

echo "| photos in the store | pictures | ms a picture | ratio to the first |"
echo "|---|---|---|---|"
first=""
for size in "${sizes[@]}"; do
  rm -rf "$work/store"
  make_store "$work/store" "$size"
  sync
  shoot() {
    local start
    start=$(date +%s%N)
    "$cli" --config-dir "$config" shoot --mode 2 --count "$1" --virtual-time \
      --max-time $(($1 * 2 + 60)) --store "$work/store" >/dev/null
    echo $(( $(date +%s%N) - start ))
  }
  few=$(shoot 20)
  many=$(shoot $((pictures + 20)))
  per=$(( (many - few) / pictures / 1000 ))
  [[ -n "$first" ]] || first=$per
  ratio=$(python3 -c "print(f'{$per / $first:.2f}')")
  echo "| $size | $pictures | $(python3 -c "print(f'{$per / 1000:.1f}')") | $ratio |"
done
