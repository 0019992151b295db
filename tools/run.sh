#!/usr/bin/env bash
# Sets everything up and builds; prints where the executables are (the installer, the
# demonstration's programs, both builds of the package tool). Then installs the demonstration
# product (demo/) with the built setup.exe under Wine, in a Wine prefix of its own under build/demo.
# With a working $DISPLAY the installer opens there for a person to click through. Without one it
# runs on a private Xvfb display, walked through by tools/demo/walk.exe, which saves a picture of
# each dialog into build/demo/pictures and prints what was installed where; the exit status is
# then that of the walk-through.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)
"$root/tools/setup.sh"
echo "== built:"
find "$root/build/win" -maxdepth 3 -name '*.exe' -not -path '*/wineprefix/*' -not -path '*/tests/*' \
  | sort | sed "s|^$root/||"
echo "== the package tool for this machine (mkpak --help tells its commands):"
if [ ! -x "$root/build/native/mkpak" ]; then
  echo "build/native/mkpak is missing" >&2
  exit 1
fi
echo "build/native/mkpak"

win="$root/build/win"
demo="$root/build/demo"
mkdir -p "$demo"

echo "== the demonstration's setup directory"
# The product folder: demo/product's plain files and the demonstration program built for Windows.
rm -rf "$demo/product" "$demo/setup"
cp -r "$root/demo/product" "$demo/product"
mkdir -p "$demo/product/bin"
cp "$win/demo/quenthary.exe" "$demo/product/bin/"
"$root/build/native/mkpak" build -q --complete --script "$root/demo/setup.ini" \
  --face "$root/demo/face.bmp" --uninstall "$root/demo/uninstall.ini" --setup-exe "$win/setup.exe" \
  --uninstaller --uninstall-exe "$win/uninstall.exe" "$demo/product" "$demo/setup"
ls "$demo/setup" | sed 's/^/  /'
# setup.exe is stamped with the digests of the rest, and the directory agrees with it.
"$root/build/native/mkpak" verify -v "$demo/setup" | sed 's/^/  /'

. "$root/tools/wine-prefix.sh"
use_wine_prefix "$demo/wineprefix"

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

attended=false
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  attended=true
else
  . "$root/tools/private-display.sh"
  start_private_display
fi

install_wine_fonts
keep_user_folders_in_prefix

keep_wineserver

# A fresh installation each time: remove what the previous one made, as its uninstall log lists it
# (files, shortcuts, then the folders, deepest first), and the destination folder itself.
location=$(sed -n 's/^location=//p' "$root/demo/setup.ini" | tr -d '\r')
# Wine names drive C: by its link dosdevices/c:; paths are compared with links resolved.
unix_path() { local p; p=$(winepath -u "$1" 2>/dev/null) && realpath -m "$p"; }
drive_c=$(realpath -m "$WINEPREFIX/drive_c")
inside_prefix() { case "$1" in "$drive_c"/?*) return 0 ;; *) return 1 ;; esac; }
dest=$(unix_path "$location" || true)
if inside_prefix "$dest" && [ -f "$dest/uninstall.ini" ]; then
  echo "== removing the previous installation at $location"
  sed -n 's/^file[0-9]*=//p' "$dest/uninstall.ini" | tr -d '\r' | while read -r entry; do
    unix_path "$entry" || true
  done | sort -r | while read -r path; do
    inside_prefix "$path" || continue
    if [ -d "$path" ]; then rmdir "$path" 2>/dev/null || true; else rm -f "$path"; fi
  done
fi
if inside_prefix "$dest"; then rm -rf "$dest"; fi

if $attended; then
  echo "== installing the demonstration product on $DISPLAY: click through the installer"
  wine "$demo/setup/setup.exe" || true
  wineserver -w
  echo "== drive C: of the demonstration's Wine prefix is ${drive_c#"$root/"}"
  if [ -f "$dest/uninstall.ini" ]; then
    echo "== the uninstall log, ${dest#"$root/"}/uninstall.ini, lists what was made:"
    sed -n 's/^\(file[0-9]*\|filenum\)=/  \1=/p' "$dest/uninstall.ini" | tr -d '\r'
  else
    echo "== nothing was installed at $location"
  fi
  exit 0
fi

echo "== installing the demonstration product unattended on the Xvfb display $DISPLAY"
run_in_virtual_desktop walk.exe 800x600
pictures="$demo/pictures"
rm -rf "$pictures"
mkdir -p "$pictures"
set +e
wine "$win/tools/demo/walk.exe" "$(winepath -w "$demo/setup/setup.exe")" "$(winepath -w "$pictures")" \
  "$(winepath -w "$demo/product")" | tee "$pictures/summary.txt"
status=${PIPESTATUS[0]}
# The destination dialog in the user's language, which Wine takes from the locale it starts in.
for locale in de_DE fr_FR ja_JP; do
  LC_ALL=$locale.UTF-8 wine "$win/tools/demo/walk.exe" --destination "$(winepath -w "$demo/setup/setup.exe")" \
    "$(winepath -w "$pictures")" "7-destination-${locale%_*}.png" | tee -a "$pictures/summary.txt" || status=1
done
set -e
echo
echo "The Windows paths above are in the demonstration's Wine prefix: C: is ${drive_c#"$root/"}."
echo "Pictures of the dialogs, and this summary, in ${pictures#"$root/"}/:"
ls "$pictures" | sed 's/^/  /'
exit "$status"
