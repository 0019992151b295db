#!/usr/bin/env bash
# Sets everything up and builds; prints where the executables are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
echo "== built:"
find "$root/build/win" -maxdepth 2 -name '*.exe' -not -path '*/wineprefix/*' | sort | sed "s|^$root/||"
