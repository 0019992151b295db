#!/usr/bin/env bash
# Benchmark of the package tool: packs a generated product folder with build/native/mkpak and, in
# the same run, zips the same folder with Debian's zip at the same deflate level; prints both
# times, their ratio and mkpak's peak memory. Not part of the tests; figures, not a verdict.
#
#   bash tools/bench-mkpak.sh [RUNS]      (RUNS: timed runs of each tool, alternating; default 3)
#
# The folder is the same on every machine: 4,000 small files (256 B to 16 KiB, three in four of
# them text, one in four noise) in 40 folders, and three large ones (96 MiB of log text, 96 MiB
# of noise, 48 MiB of fixed-width records); about 275 MiB in all. It is made under
# build/bench and removed afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
mkpak="$root/build/native/mkpak"
level=6  # mkpak's default deflate level

if [ ! -x "$mkpak" ]; then
  echo "no $mkpak: build it first with tools/setup.sh" >&2
  exit 1
fi
# zip to compare with, GNU time for peak memory: wanted by this script only.
"$root/tools/install-missing.sh" zip time gcc libc6-dev

work="$root/build/bench"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# The generator: a fixed-seed xorshift, so the folder is byte for byte the same on every run.
cat > "$work/gen.c" <<'EOF'
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

static uint64_t s = 0x9E3779B97F4A7C15ull;
static uint64_t next(void) { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return s; }

static const char *words[] = {"quenthary", "level", "player", "score", "map", "texture", "error",
                              "loaded", "saved", "config", "value", "north", "south", "sound", "the", "a"};

static void text(FILE *f, uint64_t size)
{
    uint64_t n = 0;
    while (n < size) {
        char line[128];
        int len = snprintf(line, sizeof line, "%06llu %s %s %s=%llu\n", (unsigned long long)(n / 40),
                           words[next() % 16], words[next() % 16], words[next() % 16],
                           (unsigned long long)(next() % 1000));
        if ((uint64_t)len > size - n) len = (int)(size - n);
        fwrite(line, 1, (size_t)len, f);
        n += (uint64_t)len;
    }
}

static void noise(FILE *f, uint64_t size)
{
    for (uint64_t n = 0; n < size; n += 8) {
        uint64_t v = next();
        unsigned char b[8];
        for (int i = 0; i < 8; ++i) b[i] = (unsigned char)(v >> (8 * i));
        fwrite(b, 1, size - n < 8 ? (size_t)(size - n) : 8, f);
    }
}

static void records(FILE *f, uint64_t size)
{
    for (uint64_t n = 0; n < size; n += 32) {
        unsigned char r[32] = {0};
        uint64_t v = next();
        r[0] = 0xA5;
        r[1] = (unsigned char)(n >> 5);
        for (int i = 0; i < 6; ++i) r[4 + i] = (unsigned char)(v >> (8 * i));
        r[16] = (unsigned char)(v % 7);
        fwrite(r, 1, size - n < 32 ? (size_t)(size - n) : 32, f);
    }
}

static void make(const char *path, void (*fill)(FILE *, uint64_t), uint64_t size)
{
    FILE *f = fopen(path, "wb");
    if (!f) { perror(path); exit(1); }
    fill(f, size);
    if (fclose(f) != 0) { perror(path); exit(1); }
}

int main(int argc, char **argv)
{
    if (argc != 2) return 2;
    char path[4096];
    snprintf(path, sizeof path, "%s/large", argv[1]);
    mkdir(argv[1], 0755);
    mkdir(path, 0755);
    for (int d = 0; d < 40; ++d) {
        snprintf(path, sizeof path, "%s/part%02d", argv[1], d);
        mkdir(path, 0755);
        for (int i = 0; i < 100; ++i) {
            uint64_t size = 256 + next() % (16 * 1024 - 256);
            int isNoise = next() % 4 == 0;
            snprintf(path, sizeof path, "%s/part%02d/file%03d.%s", argv[1], d, i, isNoise ? "bin" : "txt");
            make(path, isNoise ? noise : text, size);
        }
    }
    snprintf(path, sizeof path, "%s/large/events.log", argv[1]);
    make(path, text, 96ull << 20);
    snprintf(path, sizeof path, "%s/large/video.bin", argv[1]);
    make(path, noise, 96ull << 20);
    snprintf(path, sizeof path, "%s/large/table.dat", argv[1]);
    make(path, records, 48ull << 20);
    return 0;
}
EOF
gcc -O2 -o "$work/gen" "$work/gen.c"
product="$work/product"
"$work/gen" "$product"
files=$(find "$product" -type f | wc -l)
bytes=$(find "$product" -type f -printf '%s\n' | awk '{ n += $1 } END { print n }')
echo "== product folder: $files files, $bytes bytes"
# Read once so that neither tool is the one that pays for a cold cache.
find "$product" -type f -exec cat {} + >/dev/null

# time_run OUT_PREFIX COMMAND...: elapsed seconds and peak resident KiB into OUT_PREFIX.{s,kib}.
time_run() {
  local out=$1
  shift
  /usr/bin/time -f '%e %M' -o "$out.time" "$@" >/dev/null
  read -r seconds kib < "$out.time"
  echo "$seconds" > "$out.s"
  echo "$kib" > "$out.kib"
}

mkpak_times=() zip_times=() mkpak_peaks=()
for run in $(seq "$runs"); do
  rm -rf "$work/setup" "$work/product.zip"
  time_run "$work/mkpak" "$mkpak" build --level "$level" "$product" "$work/setup"
  # -X: no extra attributes, as mkpak stores none; run from inside the folder for relative names.
  (cd "$product" && time_run "$work/zip" zip -q -r -X "-$level" "$work/product.zip" .)
  mkpak_times+=("$(cat "$work/mkpak.s")") zip_times+=("$(cat "$work/zip.s")")
  mkpak_peaks+=("$(cat "$work/mkpak.kib")")
  echo "run $run: mkpak ${mkpak_times[-1]} s (peak ${mkpak_peaks[-1]} KiB), zip ${zip_times[-1]} s"
done
"$mkpak" verify "$work/setup"

best() { printf '%s\n' "$@" | sort -g | head -n 1; }
mkpak_best=$(best "${mkpak_times[@]}")
zip_best=$(best "${zip_times[@]}")
peak=$(printf '%s\n' "${mkpak_peaks[@]}" | sort -g | tail -n 1)
echo "== deflate level $level, best of $runs runs"
echo "mkpak build: $mkpak_best s, package $(stat -c %s "$work/setup/data.pak") bytes, peak memory $peak KiB"
echo "zip -r -$level: $zip_best s, archive $(stat -c %s "$work/product.zip") bytes"
awk -v m="$mkpak_best" -v z="$zip_best" 'BEGIN { if (z > 0) printf "ratio mkpak/zip: %.2f\n", m / z }'
echo "load: $(uptime)"
