#!/usr/bin/env bash
# Builds the release: the installer and the portable zip in build/release/, with their
# SHA-256 sums in build/release/SHA256SUMS.
#   DEXTREL_RELEASE_DEMO=/path/to/VKRdemo.demo bash scripts/release.sh
# The demo is the benchmark demo recorded with Quake 4 v1.4.1 (docs/RELEASE.md). Without
# it the packages are still built, carry the simulated game's demo and are named
# -NOT-FOR-RELEASE.
#   DEXTREL_UPDATE_KEY=/path/to/private.pem also writes the signed update information file
# and the files it lists into build/release/update/ (docs/RELEASE.md). The key stays
# outside the tree; without it no information file is written and the packages are named
# -NOT-FOR-RELEASE too. The file carries a serial (DEXTREL_UPDATE_SERIAL, default the UTC
# minute, so each signing raises it) and an expiry day (DEXTREL_UPDATE_DAYS from today,
# default 60).
#   DEXTREL_UPDATE_KEY=... bash scripts/release.sh --resign build/release/update/orvalle.inf
# signs an information file again, with a new serial and expiry day, building nothing.
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
fi
days="${DEXTREL_UPDATE_DAYS:-60}"
[[ "$days" =~ ^[0-9]+$ ]] && [ "$days" -ge 1 ] || { echo "release: DEXTREL_UPDATE_DAYS is no number of days: $days" >&2; exit 1; }
serial="${DEXTREL_UPDATE_SERIAL:-$(date -u +%Y%m%d%H%M)}"
[[ "$serial" =~ ^[0-9]{1,18}$ ]] || { echo "release: DEXTREL_UPDATE_SERIAL is no number: $serial" >&2; exit 1; }

# The public key a built program trusts, read back from its bytes: a key that is not its
# pair signs files that no copy of this build accepts.
built_public_key() {
  strings -n 4 "$1" | sed -n '/^-----BEGIN PUBLIC KEY-----$/,/^-----END PUBLIC KEY-----$/p' | openssl pkey -pubin 2>/dev/null
}
check_key_against() {
  local built
  built="$(built_public_key "$1")"
  [ -n "$built" ] || { echo "release: no public update key found in $1" >&2; exit 1; }
  [ "$(openssl pkey -in "$key" -pubout 2>/dev/null)" = "$built" ] || {
    echo "release: DEXTREL_UPDATE_KEY is not the private half of the public key built into $1;" >&2
    echo "release: copies of this build would refuse every file it signs. Nothing was signed." >&2
    exit 1
  }
}

# Writes the serial and expiry lines and signs "$1.unsigned" into "$1", checking the
# signature with the public key of the program "$2".
sign_info() {
  local info="$1" program="$2" signature
  printf '#serial=%s\r\n#expires=%s\r\n' "$serial" "$(date -u -d "+$days days" +%Y-%m-%d)" >>"$info.unsigned"
  signature="$(openssl dgst -sha256 -sign "$key" "$info.unsigned" | base64 -w0)"
  { cat "$info.unsigned"; printf '#signature=%s\r\n' "$signature"; } >"$info"
  openssl dgst -sha256 -verify <(built_public_key "$program") -signature <(printf '%s' "$signature" | base64 -d) \
    "$info.unsigned" >/dev/null
  rm "$info.unsigned"
}

if [ "${1:-}" = "--resign" ]; then
  info="${2:-}"
  [ -n "$key" ] || { echo "release: --resign needs DEXTREL_UPDATE_KEY" >&2; exit 1; }
  [ -f "$info" ] || { echo "release: --resign names no information file: $info" >&2; exit 1; }
  program="$(dirname "$info")/Dextrel.exe"
  [ -f "$program" ] || { echo "release: $program, the program the file offers, is missing" >&2; exit 1; }
  check_key_against "$program"
  grep -v -i -E '^#(serial|expires|signature)=' "$info" >"$info.unsigned"
  sign_info "$info" "$program"
  echo "== $info signed again: serial $serial, expires in $days days; publish it byte for byte"
  exit 0
fi

bash scripts/setup.sh
# A tree of its own, so the demo choice never leaks into the test build.
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DDEXTREL_RELEASE_DEMO="$demo" >/dev/null
ninja -C "$tree" -j "$jobs" dextrel_packages
[ -z "$key" ] || check_key_against "$tree/Dextrel.exe"

rm -f "$out"/Dextrel-*-setup*.exe "$out"/Dextrel-*-portable*.zip "$out/SHA256SUMS"
cp "$tree"/packages/Dextrel-*-setup*.exe "$tree"/packages/Dextrel-*-portable*.zip "$out/"
if [ -z "$key" ]; then
  # Copies of these packages could never be offered an update signed for them.
  for package in "$out"/Dextrel-*-setup*.exe "$out"/Dextrel-*-portable*.zip; do
    case "$package" in
      *-NOT-FOR-RELEASE.*) ;;
      *) mv "$package" "${package%.*}-NOT-FOR-RELEASE.${package##*.}" ;;
    esac
  done
fi
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
  sign_info "$info" "$update/Dextrel.exe"
fi

echo "== release in $out"
cat "$out/SHA256SUMS"
if [ -n "$key" ]; then
  echo "== signed update information (serial $serial, expires in $days days): publish the other files"
  echo "   of $update under $base/"
  echo "   and $update/orvalle.inf as http://www.dextrel.org/benchmarks/fennick/orvalle.inf;"
  echo "   sign it again with --resign before it expires (docs/RELEASE.md)"
else
  echo
  echo "NOT FOR RELEASE: no DEXTREL_UPDATE_KEY was given, so no signed information file was"
  echo "written, installed copies will not be offered this release and the packages are named"
  echo "-NOT-FOR-RELEASE. See docs/RELEASE.md."
fi
if [ -z "$demo" ]; then
  echo
  echo "NOT FOR RELEASE: no DEXTREL_RELEASE_DEMO was given, so the packages carry the simulated"
  echo "game's demo, which Quake 4 cannot play. See docs/RELEASE.md for recording the real one."
fi
