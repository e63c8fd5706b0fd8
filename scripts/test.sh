#!/usr/bin/env bash
# Builds everything and runs every suite: the native core tests, a short run of the fuzz
# targets, then the Windows-side suites and end-to-end scenarios under wine and Xvfb.
# Ends with CTest's summary.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${JOBS:-$(nproc)}"
started=$(date +%s)

bash scripts/setup.sh

echo "== native build"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDEXTREL_WERROR=ON >/dev/null
ninja -C build/native -j "$jobs"

echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/native-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDEXTREL_SANITIZE=ON -DDEXTREL_WERROR=ON >/dev/null
ninja -C build/native-asan -j "$jobs" dextrel_tests

echo "== Windows build"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DDEXTREL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
ninja -C build/win -j "$jobs"

echo "== native tests"
native_status=0
(cd build/native && ctest --output-on-failure -j "$jobs") || native_status=$?

echo "== native tests under the sanitizers"
# One process for the whole suite: a sanitizer finding fails it with its report.
sanitized_status=0
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build/native-asan/dextrel_tests --gtest_brief=1 || sanitized_status=$?

echo "== fuzz targets, short run"
# Every parser of outside input for a few thousand inputs; scripts/fuzz.sh alone runs long.
fuzz_status=0
JOBS="$jobs" bash scripts/fuzz.sh --smoke || fuzz_status=$?

echo "== Windows tests (wine)"
. scripts/wine-env.sh
. scripts/xvfb.sh
export WINEPREFIX="$root/build/win/wineprefix"
cleanup() { wine_server_stop; xvfb_stop; }
trap cleanup EXIT
xvfb_start
wine_env_prepare
wine_server_start
win_status=0
(cd build/win && ctest --output-on-failure) || win_status=$?

echo "== done in $(( $(date +%s) - started )) s (native: $native_status, sanitized: $sanitized_status, fuzz: $fuzz_status, wine: $win_status)"
if [ "$native_status" -ne 0 ]; then
  echo "native suite failed; its summary:"
  (cd build/native && ctest --rerun-failed 2>&1 | tail -n 4) || true
fi
[ "$native_status" -eq 0 ] && [ "$sanitized_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ] && [ "$win_status" -eq 0 ]
