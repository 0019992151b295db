# Sourced by the scripts that run the project's programs under Wine, always in a prefix of the
# project's own (never the user's ~/.wine).

# use_wine_prefix PREFIX: points Wine at PREFIX and makes the prefix when it does not exist yet.
use_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEARCH=win64
  # No Mono or Gecko installers, and no Wine menu entries or file associations on the host for
  # what the installer makes.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== making the Wine prefix ${WINEPREFIX#"$root/"}"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
}

# keep_wineserver: one wineserver for the rest of the script, so that Wine's start-up is paid
# once; Wine's own services and desktop are started now, with no pipe of the caller's (started
# later by a program whose output is read, they would hold that output open).
keep_wineserver() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}
