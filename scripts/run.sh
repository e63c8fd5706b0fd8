#!/usr/bin/env bash
# Sets up, builds and starts Dextrel under wine beside a simulated Quake 4 installed in
# a folder with blanks. With a display the window is left to the user; without one (or
# with CI set) a private Xvfb is started, one benchmark of two resolutions and two runs
# is driven through the window, and the report's path and pictures are printed.
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

ninja -C build/win quake4 guidriver dxdiag >/dev/null
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  wine_env_prepare
  echo "Starting Dextrel on $DISPLAY (prefix $WINEPREFIX)"
  exec python3 scripts/run_benchmark.py --bin build/win --out "$out"
fi

# No display: a private one, and one unattended benchmark of two resolutions and two runs.
trap 'wineserver -k >/dev/null 2>&1 || true; xvfb_stop' EXIT
xvfb_start
wine_env_prepare
wine_server_start
python3 scripts/run_benchmark.py --bin build/win --out "$out" --unattended
