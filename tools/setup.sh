#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root), fetches the zlib
# source package for minizip, and builds everything into build/. Safe to run again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake make g++ pkg-config dpkg-dev                        # native tools (dpkg-dev unpacks sources)
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix     # the Windows cross compiler
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev
  wine wine64 xvfb xauth                                    # the Win32 implementation the tests run on
  fonts-wine x11-utils                                      # Wine's fonts (caption buttons), xdpyinfo (the demo)
  fonts-wqy-microhei                                        # Chinese, Japanese and Korean letters for the dialogs
  googletest                                                # GoogleTest's sources
  zlib1g-dev libminizip-dev                                 # zlib and minizip for native tools
  libssl-dev openssl osslsigncode                           # SHA-256 for mkpak; signing in the tests
  locales                                                   # a double-byte locale for the tests
)
"$root/tools/install-missing.sh" "${packages[@]}"

# Wine takes its ANSI code page from the Unix locale it starts in: the tests of double-byte paths
# run in ja_JP.UTF-8 (code page 932). Without the locale generated, Wine would still report 932 but
# could not convert such file names.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "== generating the ja_JP.UTF-8 locale"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

echo "== zlib source package (minizip)"
"$root/tools/fetch-zlib-source.sh" "$root/.deps"
zlib_src=$(ls -d "$root"/.deps/zlib-*/ | head -n 1)

echo "== building the package tool natively"
cmake -S "$root/tools/mkpak" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" -j "$(nproc)"

echo "== building for Windows"
cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DZLIB_SOURCE_DIR="$zlib_src" \
  -DMKPAK_NATIVE_DIR="$root/build/native" >/dev/null
cmake --build "$root/build/win" -j "$(nproc)"
