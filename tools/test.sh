#!/usr/bin/env bash
# Sets everything up, builds, and runs every test under Wine (windows on a private Xvfb display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"

build="$root/build/win"
. "$root/tools/wine-prefix.sh"
# The prefix is made once and reused.
use_wine_prefix "$build/wineprefix"

# A private X display for the tests that open windows.
. "$root/tools/private-display.sh"
start_private_display

small_drive="$build/small-drive"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/dosdevices/s:"
  if mountpoint -q "$small_drive" 2>/dev/null; then umount "$small_drive" || true; fi
}
trap cleanup EXIT

# A small drive for the full-disk tests: a 512 KiB tmpfs that Wine sees as S:, named to the tests by
# SETUP_TEST_SMALL_DRIVE. Mounting needs root; without it the variable stays unset and those tests
# skip (under CI=true they fail).
mkdir -p "$small_drive"
if mountpoint -q "$small_drive"; then umount "$small_drive"; fi
if mount -t tmpfs -o size=512k,mode=0777 setup-small-drive "$small_drive" 2>/dev/null; then
  ln -sfn "$small_drive" "$WINEPREFIX/dosdevices/s:"
  export SETUP_TEST_SMALL_DRIVE=S:
else
  echo "== no small drive (mounting a tmpfs needs root): full-disk tests will skip"
fi

keep_wineserver
reset_shell_folders
manage_windows_in_wine
echo "== running the tests"
cd "$build"
ctest --output-on-failure --timeout 300 "$@"
