#!/usr/bin/env bash
# Builds setup.exe and uninstall.exe a second time, from the same source and settings, in another
# folder and at another time, and compares them byte for byte with the build's own.
#
#   reproducible_build.sh BUILD_DIR CMAKE ARGS...   (ARGS: the settings to configure with)
set -euo pipefail
build=$1 cmake=$2
shift 2
again="$build/reproduced"
rm -rf "$again"
trap 'rm -rf "$again"' EXIT
source=$(cd "$(dirname "$0")/.." && pwd)
"$cmake" -S "$source" -B "$again" "$@" >/dev/null
"$cmake" --build "$again" --target setup uninstall -j "$(nproc)" >/dev/null
status=0
for program in setup.exe uninstall.exe; do
  if cmp -s "$build/$program" "$again/$program"; then
    echo "$program: the same $(stat -c %s "$build/$program") bytes"
  else
    echo "$program differs from a second build: $(cmp -l "$build/$program" "$again/$program" | wc -l) byte(s), the first at $(cmp "$build/$program" "$again/$program" | sed 's/.*byte //')"
    status=1
  fi
done
exit $status
