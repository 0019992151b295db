#!/usr/bin/env bash
# The Windows build of mkpak, run under Wine, writes the very package the native build writes,
# names in either code page included, and stamps setup.exe alike (CNG's digests are OpenSSL's); and
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

# Names in UTF-8 (the default, for an installer built to run in UTF-8) and in code page 1252.
for codepage in utf-8 1252; do
  "$native" build --codepage $codepage "$product" "$work/native-$codepage"
  "$runner" "$prefix" "$exe" build --codepage $codepage "$product" "$work/windows-$codepage"
  cmp "$work/native-$codepage/data.pak" "$work/windows-$codepage/data.pak"
  cmp "$work/native-$codepage/setup.ini" "$work/windows-$codepage/setup.ini"
  "$native" verify "$work/windows-$codepage"
  "$runner" "$prefix" "$exe" verify "$work/native-$codepage"
  "$native" list --codepage $codepage "$work/windows-$codepage" | grep -qF 'données\été.txt'
done
LC_ALL=C grep -qaF $'donn\xc3\xa9es\\\xc3\xa9t\xc3\xa9.txt' "$work/native-utf-8/data.pak"
LC_ALL=C grep -qaF $'donn\xe9es\\\xe9t\xe9.txt' "$work/native-1252/data.pak"

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
