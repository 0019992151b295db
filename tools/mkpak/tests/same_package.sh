#!/usr/bin/env bash
# The Windows build of mkpak, run under Wine, writes the very package the native build writes,
# names in the code page included, and stamps setup.exe alike (CNG's digests are OpenSSL's); and
# each build's verify accepts the other's package and stamp.
# same_package.sh NATIVE_MKPAK WINE_RUNNER WINE_PREFIX WINDOWS_MKPAK
set -euo pipefail
native=$1 runner=$2 prefix=$3 exe=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
product="$work/product"
mkdir -p "$product/bin" "$product/données"
printf 'Quenthary\r\n' > "$product/readme.txt"
seq 1 20000 > "$product/données/été.txt"
head -c 70000 /dev/urandom > "$product/bin/game.dat"
: > "$product/empty"

"$native" build "$product" "$work/native"
"$runner" "$prefix" "$exe" build "$product" "$work/windows"
cmp "$work/native/data.pak" "$work/windows/data.pak"
cmp "$work/native/setup.ini" "$work/windows/setup.ini"
"$native" verify "$work/windows"
"$runner" "$prefix" "$exe" verify "$work/native"
# The accented name is stored in code page 1252 by both.
"$native" list "$work/windows" | grep -qF 'données\été.txt'
LC_ALL=C grep -qaF $'donn\xe9es\\\xe9t\xe9.txt' "$work/native/data.pak"

setup_exe="$(dirname "$exe")/../../setup.exe"
"$native" build --complete --setup-exe "$setup_exe" "$product" "$work/native-complete"
"$runner" "$prefix" "$exe" build --complete --setup-exe "$setup_exe" "$product" "$work/windows-complete"
cmp "$work/native-complete/setup.exe" "$work/windows-complete/setup.exe"
"$runner" "$prefix" "$exe" verify "$work/native-complete"
printf 'x' >> "$work/native-complete/setup.ini"
if "$runner" "$prefix" "$exe" verify "$work/native-complete" >"$work/err" 2>&1; then
  echo "a changed setup.ini passed the Windows build's verify" >&2; exit 1
fi
grep -qF 'differs from its stamp: setup.ini' "$work/err"

# The Windows build runs a signing command through cmd: a copy that signs nothing is caught, and a
# failing command stops it; neither leaves a setup directory behind.
signed="Z:${work//\//\\}\\windows-signed"
for command in 'copy {in} {out}' 'exit /b 3'; do
  if "$runner" "$prefix" "$exe" build --complete --setup-exe "$setup_exe" --sign "$command" "$product" "$signed" \
      >"$work/err" 2>&1; then
    echo "the Windows build took '$command' for a signing command" >&2; exit 1
  fi
  grep -qE 'left "setup.exe" unsigned|failed on "setup.exe" with exit status 3' "$work/err" || { cat "$work/err"; exit 1; }
  [ ! -e "$work/windows-signed" ] || { echo "'$command' left a setup directory" >&2; exit 1; }
done
echo "same package and stamp from both builds"
