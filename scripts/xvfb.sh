# Sourced: starts a private Xvfb on a free display and exports DISPLAY; xvfb_stop ends it.
XVFB_PID=""

xvfb_start() {
  # Another test run may take the same free display at the same moment: its server then
  # wins, ours exits, and the next free display is tried.
  local n i
  for n in $(seq 90 199); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for i in $(seq 1 100); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      [ -e "/tmp/.X11-unix/X${n}" ] && sleep 0.2 && kill -0 "$XVFB_PID" 2>/dev/null && {
        export DISPLAY=":${n}"
        return 0
      }
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  done
  echo "Xvfb did not start on any free display" >&2
  return 1
}

xvfb_stop() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
