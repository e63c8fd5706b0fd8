#!/usr/bin/env bash
# Builds the release: the installer and the portable zip in build/release/, with their
# SHA-256 sums in build/release/SHA256SUMS.
#   DEXTREL_RELEASE_DEMO=/path/to/VKRdemo.demo bash scripts/release.sh
# The demo is the benchmark demo recorded with Quake 4 v1.4.1 (docs/RELEASE.md). Without
# it the packages are still built, carry the simulated game's demo and are named
# -NOT-FOR-RELEASE.
#   DEXTREL_UPDATE_KEY=/path/to/private.pem also writes the signed update information file
# and the files it lists into build/release/update/ (docs/RELEASE.md). The key stays
# outside the tree; without it no information file is written.
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

key="${DEXTREL_UPDATE_KEY:-}"
if [ -n "$key" ]; then
  [ -f "$key" ] || { echo "release: DEXTREL_UPDATE_KEY names no file: $key" >&2; exit 1; }
  # A key that does not belong to the program's built-in public key signs files no copy accepts.
  [ "$(openssl pkey -in "$key" -pubout 2>/dev/null)" = "$(openssl pkey -pubin -in assets/keys/update-public.pem)" ] || {
    echo "release: DEXTREL_UPDATE_KEY is not the private half of assets/keys/update-public.pem" >&2; exit 1; }
fi

bash scripts/setup.sh
# A tree of its own, so the demo choice never leaks into the test build.
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DDEXTREL_RELEASE_DEMO="$demo" >/dev/null
ninja -C "$tree" -j "$jobs" dextrel_packages

rm -f "$out"/Dextrel-*-setup*.exe "$out"/Dextrel-*-portable*.zip "$out/SHA256SUMS"
cp "$tree"/packages/Dextrel-*-setup*.exe "$tree"/packages/Dextrel-*-portable*.zip "$out/"
(cd "$out" && sha256sum Dextrel-*-setup*.exe Dextrel-*-portable*.zip >SHA256SUMS)

# The update information file: the files an installed copy replaces, their digests, the
# method and the notes, signed over its bytes as served with the "#signature=" line last.
update="$out/update"
rm -rf "$update"
if [ -n "$key" ]; then
  mkdir -p "$update"
  version="$(sed -n 's/^project(Dextrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
  base="${DEXTREL_UPDATE_URL_BASE:-http://www.dextrel.org/benchmarks/fennick/$version}"
  notes="${DEXTREL_RELEASE_NOTES:-Dextrel $version}"
  info="$update/orvalle.inf"
  {
    printf '#version=%s\r\n' "$version"
    n=1
    for file in Dextrel.exe help.chm offlinenews.html; do
      cp "$tree/$file" "$update/$file"
      printf '#url%d=%s/%s\r\n#sha256%d=%s\r\n' "$n" "$base" "$file" "$n" "$(sha256sum "$update/$file" | cut -d' ' -f1)"
      n=$((n + 1))
    done
    printf '#method=0\r\n#message={%s}\r\n' "$notes"
  } >"$info.unsigned"
  signature="$(openssl dgst -sha256 -sign "$key" "$info.unsigned" | base64 -w0)"
  { cat "$info.unsigned"; printf '#signature=%s\r\n' "$signature"; } >"$info"
  openssl dgst -sha256 -verify assets/keys/update-public.pem -signature <(printf '%s' "$signature" | base64 -d) \
    "$info.unsigned" >/dev/null
  rm "$info.unsigned"
fi

echo "== release in $out"
cat "$out/SHA256SUMS"
if [ -n "$key" ]; then
  echo "== signed update information: publish the other files of $update under $base/"
  echo "   and $update/orvalle.inf as http://www.dextrel.org/benchmarks/fennick/orvalle.inf"
else
  echo
  echo "NO UPDATE INFORMATION: no DEXTREL_UPDATE_KEY was given, so no signed information file"
  echo "was written and installed copies will not be offered this release. See docs/RELEASE.md."
fi
if [ -z "$demo" ]; then
  echo
  echo "NOT FOR RELEASE: no DEXTREL_RELEASE_DEMO was given, so the packages carry the simulated"
  echo "game's demo, which Quake 4 cannot play. See docs/RELEASE.md for recording the real one."
fi
