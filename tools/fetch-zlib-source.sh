#!/usr/bin/env bash
# Fetches Debian's zlib source package (which carries minizip in contrib/minizip) into $1,
# without touching the machine's apt configuration: a private source list, built from the
# machine's own apt sources, and a private state and cache folder.
set -euo pipefail
dest=${1:?usage: fetch-zlib-source.sh DEST_DIR}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
if ls -d "$dest"/zlib-*/contrib/minizip >/dev/null 2>&1; then exit 0; fi

work="$dest/apt"
mkdir -p "$work/lists/partial" "$work/archives/partial"
: > "$work/sources.list"

# One-line sources: "deb [opts] URI SUITE COMPONENTS..."
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$f" >> "$work/sources.list"
done
# deb822 sources: stanzas with Types/URIs/Suites/Components/Signed-By.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  awk '
    function flush() {
      if (types ~ /deb/ && uris != "" && enabled != "no") {
        nu = split(uris, U, " "); ns = split(suites, S, " ")
        for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++)
          printf "deb-src %s%s %s %s\n", (key != "" ? "[signed-by=" key "] " : ""), U[i], S[j], comps
      }
      types = uris = suites = comps = key = enabled = ""
    }
    /^[[:space:]]*#/ { next }
    /^[[:space:]]*$/ { flush(); next }
    { k = tolower($1); sub(/:$/, "", k); v = $0; sub(/^[^:]*:[[:space:]]*/, "", v) }
    k == "types" { types = v } k == "uris" { uris = v } k == "suites" { suites = v }
    k == "components" { comps = v } k == "signed-by" { key = v } k == "enabled" { enabled = v }
    END { flush() }' "$f" >> "$work/sources.list"
done
# Keep only Debian's own archives (the ones that carry the zlib source package).
grep -i 'debian' "$work/sources.list" > "$work/sources.debian" || true
[ -s "$work/sources.debian" ] || { echo "no Debian apt source found" >&2; exit 1; }

opts=(-o "Dir::Etc::SourceParts=/dev/null"
      -o "Dir::State::Lists=$work/lists" -o "Dir::Cache::Archives=$work/archives"
      -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=" -o "APT::Sandbox::User=root")
# A mirror may serve some suites' indexes but not their files (a security suite, say):
# try all sources together, then one suite at a time.
fetch() {
  apt-get "${opts[@]}" -o "Dir::Etc::SourceList=$1" -q update >/dev/null 2>&1 || return 1
  (cd "$dest" && apt-get "${opts[@]}" -o "Dir::Etc::SourceList=$1" -q source zlib >/dev/null 2>&1)
}
if ! fetch "$work/sources.debian"; then
  n=0
  while IFS= read -r line; do
    n=$((n + 1)); echo "$line" > "$work/one.$n"
    rm -rf "$dest"/zlib*
    fetch "$work/one.$n" && break
  done < "$work/sources.debian"
fi
ls -d "$dest"/zlib-*/contrib/minizip >/dev/null || { echo "could not fetch the zlib source package" >&2; exit 1; }
