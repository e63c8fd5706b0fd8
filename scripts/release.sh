#!/usr/bin/env bash
# Builds the release: the installer and the portable zip in build/release/, with their
# SHA-256 sums in build/release/SHA256SUMS.
#   DEXTREL_RELEASE_DEMO=/path/to/VKRdemo.demo bash scripts/release.sh
# The demo is the benchmark demo recorded with Quake 4 v1.4.1 (docs/RELEASE.md). Without
# it the packages are still built, carry the simulated game's demo and are named
# -NOT-FOR-RELEASE.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="${JOBS:-$(nproc)}"
out="$root/build/release"
tree="$out/tree"

demo="${DEXTREL_RELEASE_DEMO:-}"
if [ -n "$demo" ]; then
  [ -f "$demo" ] || { echo "release: DEXTREL_RELEASE_DEMO names no file: $demo" >&2; exit 1; }
  demo="$(cd "$(dirname "$demo")" && pwd)/$(basename "$demo")"
fi

bash scripts/setup.sh
# A tree of its own, so the demo choice never leaks into the test build.
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DDEXTREL_RELEASE_DEMO="$demo" >/dev/null
ninja -C "$tree" -j "$jobs" dextrel_packages

rm -f "$out"/Dextrel-*-setup*.exe "$out"/Dextrel-*-portable*.zip "$out/SHA256SUMS"
cp "$tree"/packages/Dextrel-*-setup*.exe "$tree"/packages/Dextrel-*-portable*.zip "$out/"
(cd "$out" && sha256sum Dextrel-*-setup*.exe Dextrel-*-portable*.zip >SHA256SUMS)

echo "== release in $out"
cat "$out/SHA256SUMS"
if [ -z "$demo" ]; then
  echo
  echo "NOT FOR RELEASE: no DEXTREL_RELEASE_DEMO was given, so the packages carry the simulated"
  echo "game's demo, which Quake 4 cannot play. See docs/RELEASE.md for recording the real one."
fi
