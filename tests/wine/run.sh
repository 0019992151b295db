#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build's own prefix: run.sh PREFIX PROGRAM [ARGS...]
# The prefix is made on first use. The test command keeps one wineserver running for the prefix,
# so Wine's start-up is paid once per run.
set -eu
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEARCH=win64
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$prefix/system.reg" ] || { wineboot --init >/dev/null 2>&1; wineserver -w; }
  ) 9>"$prefix.lock"
fi
exec wine "$@"
