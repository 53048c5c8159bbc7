#!/usr/bin/env bash
# Does a long interval series keep its memory flat? Runs
# `kestrel-cli shoot --mode 2 --count N --virtual-time` with a 5 s start-to-start
# interval (1 s delay, 640 x 480 pictures) into a temporary store, for 100 and
# for 10,000 pictures (or the counts given), and prints each run's peak
# resident memory (GNU time) and how long it took.
#
#   bench/long-run.sh [COUNT...]       prints a Markdown table
#   KESTREL_CLI=path/to/kestrel-cli bench/long-run.sh   uses that build
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -n "${KESTREL_CLI:-}" ]]; then
  cli="$(realpath "$KESTREL_CLI")"
else
  cmake --preset bench >/dev/null
  cmake --build --preset bench --target kestrel-cli >&2
  cli="$PWD/build/bench/src/cli/kestrel-cli"
fi
[[ -x /usr/bin/time ]] || { echo "needs GNU time (Debian package time)" >&2; exit 1; }
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(100 10000)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
config="$work/config"
for kv in "timer delay=1" "timer interval=5" "timer count=0" "full size photo=false"; do
  "$cli" --config-dir "$config" settings set "${kv%%=*}" "${kv#*=}" >/dev/null
done

echo "| pictures | saved | peak resident memory | wall time | virtual time of the last request |"
echo "|---|---|---|---|---|"
for n in "${counts[@]}"; do
  rm -rf "$work/store"
  /usr/bin/time -f "%M %e" -o "$work/time" \
    "$cli" --config-dir "$config" shoot --mode 2 --count "$n" --virtual-time \
    --max-time $((n * 5 + 60)) --store "$work/store" --trace >"$work/out"
  read -r peak wall <"$work/time"
  saved=$(grep -c '^ *[0-9.]* saved ' "$work/out" || true)
  last=$(grep 'picture requested' "$work/out" | tail -1 | awk '{print $1}')
  echo "| $n | $saved | $((peak / 1024)) MiB | ${wall} s | ${last} s |"
done
