#!/usr/bin/env bash
# Installs what Kestrel needs, builds it, and runs it.
# Arguments are passed to kestrel-cli; without any it shows the settings record.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run >&2
cmake --preset release >/dev/null
cmake --build --preset release --target kestrel-cli >&2
if [ "$#" -eq 0 ]; then
  set -- settings show --json
fi
exec build/release/src/cli/kestrel-cli "$@"
