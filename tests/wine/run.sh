#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build's own prefix: run.sh PREFIX PROGRAM [ARGS...]
# The prefix is made on first use. The test command keeps one wineserver running for the prefix,
# so Wine's start-up is paid once per run.
set -eu
. "$(dirname "$0")/../../tools/wine-prefix.sh"
use_wine_prefix "$1"
shift
exec wine "$@"
