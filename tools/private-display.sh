# Sourced by the scripts that run windows with no display of their own: starts a private Xvfb
# display, exports DISPLAY naming it and sets xvfb_pid, the server's process id, for the caller
# to end.
start_private_display() {
  local displayfd
  displayfd=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfd" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$displayfd" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$displayfd")"
  rm -f "$displayfd"
}
