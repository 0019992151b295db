#!/usr/bin/env bash
# Installation benchmark (not part of the test run). Builds packages with mkpak from generated
# product folders (20,000 small files and the same tree cut to 1,000 and 5,000; 16 large files of
# 1 GiB in all) and installs each with the installer's own file phase and uninstall log under Wine,
# beside two floors on the same entry archives: a plain inflate loop with the same zlib under Wine,
# and native bsdtar; and installs each once more with the real setup.exe, driven through its
# dialogs on a private display as a user drives it, and once more over that installation (an
# upgrade, which carries the earlier log's entries over). The setup directories are stamped, as
# mkpak build --complete makes them; each goes through the dialogs once more with the installer
# unstamped, to show what the stamp's check costs, beside the system's SHA-256 throughput under
# Wine. Prints the figures and the ratios.
#
#   tools/bench-install.sh [WORK_DIR]      (default: build/bench; needs about 4 GiB free there)
#
# BENCH_REPEATS (default 3): how often each install and floor runs; the fastest run counts.
# BENCH_SIZES (default "1000 5000 20000 large"): the packages to make and install.
# BENCH_ONLY_STAMP=1: only the installations with and without the stamp's check (the file phase
# alone and through the dialogs), in turn, and the SHA-256 throughput: for a closer comparison
# with more repeats.
# BENCH_CODE_PAGE=1: with BENCH_ONLY_STAMP=1, each package also goes through the dialogs with the
# installer built for the machine's code page (the tests' system/setup.exe), unstamped, in turn with
# the one built for UTF-8: what running in UTF-8 costs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build/bench}" && cd "${1:-$root/build/bench}" && pwd)
repeats=${BENCH_REPEATS:-3}
sizes=${BENCH_SIZES:-1000 5000 20000 large}
only_stamp=${BENCH_ONLY_STAMP:-0}
code_page=${BENCH_CODE_PAGE:-0}
# full: whether this run makes every measurement, not only the stamp's comparison.
full() { [ "$only_stamp" != 1 ]; }

"$root/tools/setup.sh" >/dev/null
# bsdtar for the native floor, python3 for the tree generator.
"$root/tools/install-missing.sh" libarchive-tools python3

build="$root/build/win"
bench="$build/tools/bench/install_bench.exe"
mkpak="$root/build/native/mkpak"
. "$root/tools/wine-prefix.sh"
use_wine_prefix "$build/wineprefix"
. "$root/tools/private-display.sh"
start_private_display
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" >/dev/null 2>&1 || true' EXIT
keep_wineserver
manage_windows_in_wine

winpath() { printf 'Z:%s' "${1//\//\\}"; }
results="$work/results.txt"
: >"$results"
# The processor time of this prefix's wineserver so far, in clock ticks: every message between
# threads and every file operation of a Wine program passes through it.
server_pid=$(for p in $(pgrep -f wineserver); do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -n 1)
# The X server's likewise: every picture of a window is drawn there.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
ticks=$(getconf CLK_TCK)
seconds_between() { awk -v a="$1" -v b="$2" -v t="$ticks" 'BEGIN { printf "%.2f", (b - a) / t }'; }
# run_bench TAG COMMAND ARGS...: one line of figures, with the processor time of the wineserver
# and of the X server during the command, tagged, into the results.
run_bench() {
  local tag=$1 server x out; shift
  server=$(cpu_ticks "$server_pid"); x=$(cpu_ticks "$xvfb_pid")
  out=$(wine "$bench" "$@" | tr -d '\r')
  echo "$out server_s=$(seconds_between "$server" "$(cpu_ticks "$server_pid")")" \
       "x_s=$(seconds_between "$x" "$(cpu_ticks "$xvfb_pid")") tag=$tag" | tee -a "$results"
}
# field COMMAND TAG NAME: the smallest value of NAME over that command's runs; fieldmax the largest.
values() { grep "^$1 " "$results" | grep " tag=$2\$" | sed -n "s/.* $3=\([^ ]*\).*/\1/p" | sort -g; }
field() { values "$@" | head -n 1; }
fieldmax() { values "$@" | tail -n 1; }

echo "== load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$work/trees" "$work/setup-"* "$work/dest" "$work/stage" "$work/tree.zip"
echo "== making the product folders"
small_sizes=$(echo "$sizes" | tr ' ' '\n' | grep -x '[0-9]*' | tr '\n' ' ' || true)
[ -z "$small_sizes" ] || python3 "$root/tools/bench/make-trees.py" small "$work/trees" $small_sizes
case " $sizes " in *" large "*) python3 "$root/tools/bench/make-trees.py" large "$work/trees" ;; esac

# Whole setup directories: the installer through its dialogs needs its script, picture and
# setup.exe. No shortcut items; the program group the installer makes is removed again.
printf '[uninstall]\r\nname=Benchmark product\r\n' >"$work/template.ini"
for tag in $sizes; do
  printf '[main]\r\ntitle=Benchmark Setup\r\nlocation=C:\\bench\r\n[shortcut]\r\ngroup=setup-bench-%s\r\nitemnum=0\r\n' \
    "$tag" >"$work/script.ini"
  "$mkpak" build -q --complete --script "$work/script.ini" --setup-exe "$build/setup.exe" \
    --uninstall "$work/template.ini" "$work/trees/tree-$tag" "$work/setup-$tag"
done
rm -f "$work/script.ini" "$work/template.ini"
rm -rf "$work/trees"

# Other work on the machine comes and goes; each measurement is repeated, install and floors in
# turn, and the fastest of each is taken.
for tag in $sizes; do
  setup="$work/setup-$tag"
  echo "== package $tag: $(du -sh "$setup/data.pak" | cut -f1)"
  # The floors run on the same entry archives, staged first (the reader alone, timed on its own),
  # and, for bsdtar, gathered with their compressed bytes unchanged into one zip.
  if full; then
    run_bench $tag stage "$(winpath "$setup")" "$(winpath "$work/stage")"
    python3 "$root/tools/bench/make-trees.py" repack "$work/stage" "$work/tree.zip"
  fi
  for _ in $(seq "$repeats"); do
    rm -rf "$work/dest"; sync
    run_bench $tag install "$(winpath "$setup")" "$(winpath "$work/dest")"
    # The file phase alone again, each entry checked against the stamp as setup.exe checks it.
    rm -rf "$work/dest"; sync
    run_bench "$tag-checked" install "$(winpath "$setup")" "$(winpath "$work/dest")" --check
    rm -rf "$work/dest"; sync
    run_bench $tag dialogs "$(winpath "$setup")" "$(winpath "$work/dest")"
    # The same again over it, as an upgrade: the new log carries the first one's entries over.
    [ "$tag" = large ] || ! full || run_bench "$tag-upgrade" dialogs "$(winpath "$setup")" "$(winpath "$work/dest")"
    rm -rf "$work/dest"; sync
    # The same package through the same dialogs with the installer as built, which checks nothing.
    cp "$setup/setup.exe" "$work/stamped.exe"
    cp "$build/setup.exe" "$setup/setup.exe"
    run_bench "$tag-unstamped" dialogs "$(winpath "$setup")" "$(winpath "$work/dest")"
    rm -rf "$work/dest"; sync
    if [ "$code_page" = 1 ]; then
      cp "$build/tests/setup_e2e_test/system/setup.exe" "$setup/setup.exe"
      run_bench "$tag-system" dialogs "$(winpath "$setup")" "$(winpath "$work/dest")"
      rm -rf "$work/dest"; sync
    fi
    mv "$work/stamped.exe" "$setup/setup.exe"
    full || continue
    run_bench $tag plain "$(winpath "$work/stage")" "$(winpath "$work/dest")"
    rm -rf "$work/dest"; mkdir -p "$work/dest"; sync
    start=$(date +%s.%N)
    bsdtar -xf "$work/tree.zip" -C "$work/dest"
    echo "bsdtar seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }') tag=$tag" |
      tee -a "$results"
  done
  rm -rf "$work/dest" "$work/stage" "$work/tree.zip"; sync
  # Where the time goes: the file phase's steps, each timed on its own.
  full && run_bench $tag steps "$(winpath "$setup")" "$(winpath "$work/dest")"
  rm -rf "$work/dest"
done

echo "== SHA-256: the system's own under Wine (CNG), and OpenSSL's natively"
for _ in $(seq "$repeats"); do run_bench sha sha256 512; done
native_sha=$(openssl speed -seconds 3 -bytes 65536 -evp sha256 2>/dev/null | awk '/^sha256/ { sub(/k$/, "", $NF); printf "%.1f", $NF * 1000 / 1e6 }')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# stamp_summary: what the stamp's check costs through the dialogs.
stamp_summary() {
  echo "the stamp's check through the dialogs (stamped against unstamped setup.exe, the same package, fastest runs):"
  for tag in $sizes; do
    local stamped plain
    stamped=$(field dialogs $tag seconds) plain=$(field dialogs "$tag-unstamped" seconds)
    echo "  $tag: $stamped s against $plain s, $(awk -v a="$stamped" -v b="$plain" 'BEGIN { printf "%+.1f", (a / b - 1) * 100 }') %" \
         "[<= +5 % at 20000]; the file phase alone $(field install "$tag-checked" seconds) s checked," \
         "$(field install $tag seconds) s not"
  done
  echo "SHA-256 under Wine (CNG): $(fieldmax sha256 sha mb_per_s) MB/s; OpenSSL natively: $native_sha MB/s"
  [ "$code_page" = 1 ] || return 0
  echo "running in UTF-8 through the dialogs (unstamped installers built for UTF-8 and for the machine's code page, fastest runs):"
  for tag in $sizes; do
    local utf8 system
    utf8=$(field dialogs "$tag-unstamped" seconds) system=$(field dialogs "$tag-system" seconds)
    echo "  $tag: $utf8 s against $system s, $(awk -v a="$utf8" -v b="$system" 'BEGIN { printf "%+.1f", (a / b - 1) * 100 }') %"
  done
}
if ! full; then
  rm -rf "$work"/setup-*
  echo "== summary (fastest of $repeats runs each)"
  stamp_summary
  echo "== load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit 0
fi

echo "== the log alone, 20,000 entries; the platform's profile function at 1,000 for comparison"
run_bench log log 20000 "$(winpath "$work/log.ini")"
run_bench log platform-log 1000 "$(winpath "$work/log.ini")"
rm -f "$work/log.ini"
rm -rf "$work"/setup-*

echo "== summary (fastest of $repeats runs each)"
for tag in 1000 5000 20000; do
  echo "per-file cost at $tag files: $(field install $tag ms_per_file) ms (plain loop $(field plain $tag ms_per_file) ms)"
done
echo "through the dialogs over the same installation (an upgrade: the earlier entries carried over, none listed twice):"
for tag in 1000 5000 20000; do
  echo "  $tag: $(field dialogs "$tag-upgrade" seconds) s, to the progress dialog $(field dialogs "$tag-upgrade" to_progress_s) s" \
       "(a fresh installation: $(field dialogs $tag seconds) s, $(field dialogs $tag to_progress_s) s)"
done
echo "large package: $(field install large seconds) s, $(fieldmax install large mb_per_s) MB/s (plain loop $(fieldmax plain large mb_per_s) MB/s, bsdtar $(field bsdtar large seconds) s)"
echo "peak memory of the installs, largest of the runs (working set / private MiB):"
for tag in 1000 5000 20000 large; do
  echo "  $tag: $(fieldmax install $tag peak_working_set_mib) / $(fieldmax install $tag peak_private_mib)"
done
echo "ratios (targets in brackets):"
echo "  per-file cost 20000 / 1000:          $(ratio "$(field install 20000 ms_per_file)" "$(field install 1000 ms_per_file)")  [<= 1.5]"
echo "  20000 files, install / plain loop:   $(ratio "$(field install 20000 seconds)" "$(field plain 20000 seconds)")  [<= 2]"
echo "  large package, install / plain loop: $(ratio "$(field install large seconds)" "$(field plain large seconds)")  [<= 1.5]"
echo "  20000 files, install / (reader alone + plain loop): $(ratio "$(field install 20000 seconds)" "$(awk -v a="$(field stage 20000 seconds)" -v b="$(field plain 20000 seconds)" 'BEGIN { print a + b }')")"
echo "  20000 files, install / bsdtar:       $(ratio "$(field install 20000 seconds)" "$(field bsdtar 20000 seconds)")"
echo "  large package, install / bsdtar:     $(ratio "$(field install large seconds)" "$(field bsdtar large seconds)")"
echo "through the dialogs (setup.exe driven from Install to the finish dialog; targets in brackets):"
for tag in 1000 5000 20000 large; do
  target=1.25; [ "$tag" = large ] && target=1.1
  echo "  $tag: $(field dialogs $tag seconds) s, $(ratio "$(field dialogs $tag seconds)" "$(field install $tag seconds)") x the file phase alone [<= $target]," \
       "$(ratio "$(field dialogs $tag seconds)" "$(field plain $tag seconds)") x the plain loop;" \
       "to the progress dialog $(field dialogs $tag to_progress_s) s;" \
       "processor time of the wineserver $(field dialogs $tag server_s) s and of the X server" \
       "$(field dialogs $tag x_s) s (the file phase alone: $(field install $tag server_s) s and $(field install $tag x_s) s);" \
       "peak $(fieldmax dialogs $tag peak_working_set_mib) / $(fieldmax dialogs $tag peak_private_mib) MiB"
done
stamp_summary
echo "where the time of one entry goes (ms per file, each step timed on its own):"
for tag in 1000 20000; do
  echo "  $tag: $(grep "^steps " "$results" | grep " tag=$tag\$" | sed 's/^steps files=[0-9]* //; s/ tag=.*//')"
done
echo "the log alone: $(field log log us_per_write) us per entry over 20,000 entries;" \
     "WritePrivateProfileStringA: $(field platform-log log us_per_write) us per entry over 1,000"
echo "== load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
