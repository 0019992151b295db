#!/usr/bin/env bash
# Sets everything up and builds; prints where the executables are: the installer and the Windows
# build of the package tool, then the package tool for this machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
echo "== built:"
{
  find "$root/build/win" -maxdepth 2 -name '*.exe' -not -path '*/wineprefix/*'
  find "$root/build/win/tools/mkpak" -maxdepth 1 -name '*.exe'
} | sort | sed "s|^$root/||"
echo "== the package tool for this machine (mkpak --help tells its commands):"
if [ ! -x "$root/build/native/mkpak" ]; then
  echo "build/native/mkpak is missing" >&2
  exit 1
fi
echo "build/native/mkpak"
