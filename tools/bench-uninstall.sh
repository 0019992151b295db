#!/usr/bin/env bash
# Removal benchmark (not part of the test run). Packs generated product folders of 1,000 and
# 20,000 small files in nested folders with mkpak --uninstaller, installs each under Wine with the
# installer's own file phase and uninstall log (build/win/tools/bench/install_bench.exe, no
# dialog), then removes it with the installed uninstall.exe, whose question a small driver answers
# with Yes; the time runs from the Yes to the end message. Prints the per-file cost at both sizes
# (which must be flat), their ratio, the cost of the entries beyond the first 1,000, and the
# removing copy's peak memory.
#
#   tools/bench-uninstall.sh [WORK_DIR]      (default: build/bench-uninstall; about 400 MiB)
#
# BENCH_REPEATS (default 3): how often each removal runs; the fastest run counts.
# BENCH_BASELINE_EXE: another build's uninstaller, timed in the same run, turn about with this
# build's (build/win/uninstall.exe), so that both meet the same load; the summary then also gives
# the ratio of their times.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build/bench-uninstall}" && cd "${1:-$root/build/bench-uninstall}" && pwd)
repeats=${BENCH_REPEATS:-3}

"$root/tools/setup.sh" >/dev/null
"$root/tools/install-missing.sh" python3

build="$root/build/win"
bench="$build/tools/bench/install_bench.exe"
driver="$build/tools/bench/uninstall/uninstall_driver.exe"
mkpak="$root/build/native/mkpak"
. "$root/tools/wine-prefix.sh"
use_wine_prefix "$build/wineprefix"
# The uninstaller's windows need a display; Wine manages them itself (no window manager to wait for).
. "$root/tools/private-display.sh"
start_private_display
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" >/dev/null 2>&1 || true' EXIT
keep_wineserver
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null

winpath() { printf 'Z:%s' "${1//\//\\}"; }
results="$work/results.txt"
: >"$results"
values() { grep "^uninstall " "$results" | grep " tag=$1 build=${3:-new}\$" | sed -n "s/.* $2=\([^ ]*\).*/\1/p" | sort -g; }
field() { values "$@" | head -n 1; }
fieldmax() { values "$@" | tail -n 1; }

echo "== load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$work/trees" "$work/setup-"* "$work/dest"
echo "== making the product folders"
python3 "$root/tools/bench/make-trees.py" small "$work/trees" 1000 20000
builds="new"
[ -n "${BENCH_BASELINE_EXE:-}" ] && builds="new baseline"
exe_of() { if [ "$1" = baseline ]; then echo "$BENCH_BASELINE_EXE"; else echo "$build/uninstall.exe"; fi; }
for tag in 1000 20000; do
  for b in $builds; do
    "$mkpak" build -q --uninstaller --uninstall-exe "$(exe_of "$b")" "$work/trees/tree-$tag" "$work/setup-$tag-$b"
    printf '[uninstall]\r\nproduct=Benchmark product\r\n' >"$work/setup-$tag-$b/uninstall.ini"
  done
done
rm -rf "$work/trees"

for _ in $(seq "$repeats"); do
  for tag in 1000 20000; do
    for b in $builds; do
      rm -rf "$work/dest"
      wine "$bench" install "$(winpath "$work/setup-$tag-$b")" "$(winpath "$work/dest")" >/dev/null
      sync
      wine "$driver" "$(winpath "$work/dest")\\uninstall.exe" "Benchmark product" | tr -d '\r' |
        sed "s/\$/ tag=$tag build=$b/" | tee -a "$results"
    done
  done
done
rm -rf "$work/dest" "$work"/setup-*

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "== summary (fastest of $repeats runs each; the time runs from Yes to the end message)"
for tag in 1000 20000; do
  echo "removal of $tag files: $(field $tag seconds) s, $(field $tag ms_per_file) ms per file;" \
       "peak memory of the removing copy $(fieldmax $tag peak_working_set_mib) / $(fieldmax $tag peak_private_mib) MiB (working set / private)"
done
echo "per-file cost 20000 / 1000: $(ratio "$(field 20000 ms_per_file)" "$(field 1000 ms_per_file)")  [<= 1.5]"
echo "cost of each entry beyond the first 1000: $(awk -v a="$(field 20000 seconds)" -v b="$(field 1000 seconds)" \
  'BEGIN { printf "%.4f", (a - b) * 1000 / 19000 }') ms (the files' share of the time, without the start-up)"
if [ -n "${BENCH_BASELINE_EXE:-}" ]; then
  for tag in 1000 20000; do
    echo "baseline, removal of $tag files: $(field $tag seconds baseline) s;" \
         "this build / baseline: $(ratio "$(field $tag seconds)" "$(field $tag seconds baseline)")"
  done
fi
echo "== load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
