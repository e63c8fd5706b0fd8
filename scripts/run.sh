#!/usr/bin/env bash
# Sets up, builds and starts Dextrel under wine. With a display the window is left to
# the user; without one a private Xvfb is started, the window shown for a moment and
# a screenshot saved.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
ninja -C build/win Dextrel DextrelUpgrade

. scripts/wine-env.sh
. scripts/xvfb.sh
export WINEPREFIX="${DEXTREL_RUN_PREFIX:-$root/build/run/wineprefix}"
out="$root/build/run"
mkdir -p "$out"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  wine_env_prepare
  echo "Starting Dextrel on $DISPLAY (prefix $WINEPREFIX)"
  exec wine "$root/build/win/Dextrel.exe"
fi

trap 'wineserver -k >/dev/null 2>&1 || true; xvfb_stop' EXIT
xvfb_start
wine_env_prepare
wine_server_start
wine "$root/build/win/Dextrel.exe" &
sleep 8
import -window root "$out/screenshot.png"
echo "Dextrel ran on the private display $DISPLAY; screenshot: $out/screenshot.png"
