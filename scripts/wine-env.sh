# Sourced by the scripts that run Windows programs under wine.
# WINEPREFIX must be set by the caller (each test run has its own prefix).
export WINEDEBUG=-all
export WINEARCH=win64
# No Gecko/Mono install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mshtml=d;mscoree=d;winemenubuilder.exe=d}"

wine_env_prepare() {
  : "${WINEPREFIX:?WINEPREFIX must be set}"
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.dextrel-ready" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
      # A virtual desktop avoids the stalls of hiding windows and of process exit without a window manager.
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.dextrel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# A persistent wineserver saves ~1 s per started program. Neither it nor wine's own
# background programs (services, the virtual desktop's explorer) may inherit the
# caller's descriptors, or CTest waits on its pipe for ever: start them all here,
# detached, before any test runs.
wine_server_start() {
  python3 - <<'PY'
import os, subprocess, time
quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
             close_fds=True, start_new_session=True, env=os.environ)
subprocess.Popen(["wineserver", "-p"], **quiet)
time.sleep(0.5)
if os.environ.get("DISPLAY"):
    subprocess.Popen(["wine", "explorer.exe", "/desktop=Default,1024x768"], **quiet)
subprocess.run(["wine", "cmd.exe", "/c", "exit"], **{k: v for k, v in quiet.items() if k != "start_new_session"}, timeout=120)
time.sleep(1.0)
PY
}

wine_server_stop() {
  wineserver -k >/dev/null 2>&1 || true
}
