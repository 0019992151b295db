# Sourced by the scripts that run the project's programs under Wine, always in a prefix of the
# project's own (never the user's ~/.wine).

# use_wine_prefix PREFIX: points Wine at PREFIX and makes the prefix when it does not exist yet
# (under a lock, so that programs started together make it once). Says so on stderr only: the
# test programs' own output is read by CTest.
use_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installers, and no Wine menu entries or file associations on the host for
  # what the installer makes.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
      flock 9
      if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== making the Wine prefix ${WINEPREFIX#"${root:-}/"}" >&2
        wineboot --init >/dev/null 2>&1
        wineserver -w
      fi
    ) 9>"$WINEPREFIX.lock"
  fi
}

# keep_wineserver: one wineserver for the rest of the script, so that Wine's start-up is paid
# once; Wine's own services and desktop are started now, with no pipe of the caller's (started
# later by a program whose output is read, they would hold that output open).
keep_wineserver() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

# reset_shell_folders: the current user's Desktop and Programs folders as a new prefix has them.
# The tests point these at scratch folders and put them back; a test program that ends before it
# can (a crash, a kill) would leave them naming a deleted folder for every later run in the prefix.
reset_shell_folders() {
  local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer' profile entry
  profile=$(wine cmd /c 'echo %USERPROFILE%' 2>/dev/null </dev/null | tr -d '\r')
  for entry in 'Desktop=Desktop' 'Programs=AppData\Roaming\Microsoft\Windows\Start Menu\Programs'; do
    wine reg add "$key\\User Shell Folders" /v "${entry%%=*}" /t REG_EXPAND_SZ \
      /d "%USERPROFILE%\\${entry#*=}" /f >/dev/null 2>&1 </dev/null
    wine reg add "$key\\Shell Folders" /v "${entry%%=*}" /t REG_SZ \
      /d "$profile\\${entry#*=}" /f >/dev/null 2>&1 </dev/null
  done
}

# manage_windows_in_wine: Xvfb has no window manager, and windows that Wine leaves to one wait for
# it in vain (two seconds for every window hidden or destroyed), so Wine manages them itself.
manage_windows_in_wine() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
}

# install_wine_fonts: Wine's own fonts, Marlett among them (it draws the caption buttons), are not
# found by this build of Wine in its data folder; the prefix's Fonts folder is searched.
install_wine_fonts() {
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

# keep_user_folders_in_prefix: Wine links the prefix's Desktop, Documents and the like to the host
# user's own folders; shortcuts made in the prefix belong in it, so every such link becomes a
# folder of its own.
keep_user_folders_in_prefix() {
  find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
    rm "$link" && mkdir "$link"
  done
}

# run_in_virtual_desktop PROGRAM SIZE: PROGRAM (and what it starts) runs in a Wine virtual desktop
# of SIZE, where Wine draws the window frames itself: with no window manager on the display they
# would have no captions.
run_in_virtual_desktop() {
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\Explorer" /v Desktop /d Demo /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Demo /d "$2" /f >/dev/null 2>&1 </dev/null
}
