#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build's own prefix: run.sh PREFIX PROGRAM [ARGS...]
# The prefix is made on first use. The test command keeps one wineserver running for the prefix,
# so Wine's start-up is paid once per run.
#
# Every test program writes before it can fail (GoogleTest's first line), so a failure with nothing
# written is Wine failing to start it: seen once in hundreds of runs, in 10 ms, with no word from
# Wine. It is said on stderr and the program is started again, at most twice more.
set -eu
. "$(dirname "$0")/../../tools/wine-prefix.sh"
use_wine_prefix "$1"
shift
output=$(mktemp)
trap 'rm -f "$output"' EXIT
for attempt in 1 2 3; do
  status=0
  wine "$@" >"$output" 2>&1 || status=$?
  if [ "$status" -eq 0 ] || [ -s "$output" ]; then break; fi
  echo "== wine ended with status $status before $(basename "$1") wrote anything (start $attempt)" >&2
  sleep 0.5
done
cat "$output"
exit "$status"
