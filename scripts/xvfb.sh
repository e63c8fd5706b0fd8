# Sourced: starts a private Xvfb on a free display and exports DISPLAY; xvfb_stop ends it.
XVFB_PID=""

xvfb_start() {
  local n
  for n in $(seq 90 199); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
  done
  Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && break
    sleep 0.1
  done
  if [ ! -e "/tmp/.X11-unix/X${n}" ]; then
    echo "Xvfb did not start on :${n}" >&2
    return 1
  fi
  export DISPLAY=":${n}"
}

xvfb_stop() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
