#!/usr/bin/env bash
# Makes the two packages of a Windows build: the NSIS installer and the portable zip.
# Usage: package.sh BIN_DIR OUT_DIR VERSION [DEMO]
#   BIN_DIR  the Windows build (Dextrel.exe, DextrelFrames32.dll, DextrelFrames64.dll, help.chm,
#            offlinenews.html, generated/art/app.ico)
#   DEMO     the real VKRdemo.demo recorded with the game; without it the simulated game's
#            demo is shipped and the packages are named -NOT-FOR-RELEASE.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="$(cd "$1" && pwd)"
out="$2"
version="$3"
demo="${4:-}"
simulated="$root/assets/demo/VKRdemo.demo"

suffix=""
if [ -z "$demo" ]; then
  demo="$simulated"
  suffix="-NOT-FOR-RELEASE"
  echo "package: no release demo given (DEXTREL_RELEASE_DEMO); shipping the simulated game's demo," >&2
  echo "package: the packages are NOT releasable and are named $suffix" >&2
elif [ ! -f "$demo" ]; then
  echo "package: release demo '$demo' does not exist" >&2
  exit 1
elif head -c 27 "$demo" | grep -q "DEXTREL SIMULATED-GAME DEMO"; then
  echo "package: '$demo' is the simulated game's demo, not a recording of Quake 4" >&2
  exit 1
fi

for f in Dextrel.exe DextrelFrames32.dll DextrelFrames64.dll help.chm offlinenews.html generated/art/app.ico; do
  [ -f "$bin/$f" ] || { echo "package: $bin/$f is missing" >&2; exit 1; }
done

mkdir -p "$out"
out="$(cd "$out" && pwd)"
setup="Dextrel-$version-setup$suffix.exe"
portable="Dextrel-$version-portable$suffix.zip"
# Only this build's packages in the folder, so nobody picks up a stale one.
rm -f "$out"/Dextrel-*-setup*.exe "$out"/Dextrel-*-portable*.zip

makensis -V2 -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DPROGRAM=$bin/Dextrel.exe" "-DHELP=$bin/help.chm" \
  "-DFRAMES32=$bin/DextrelFrames32.dll" "-DFRAMES64=$bin/DextrelFrames64.dll" \
  "-DNEWS=$bin/offlinenews.html" "-DDEMO=$demo" "-DICON=$bin/generated/art/app.ico" \
  "-DOUTFILE=$out/$setup" "$root/assets/installer/dextrel.nsi" >/dev/null

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
dir="$stage/Dextrel"
mkdir -p "$dir/Demos" "$dir/Benchmark"
cp "$bin/Dextrel.exe" "$bin/DextrelFrames32.dll" "$bin/DextrelFrames64.dll" "$bin/help.chm" "$bin/offlinenews.html" "$dir/"
cp "$demo" "$dir/Demos/VKRdemo.demo"
# Windows line ends for the two texts a user opens on Windows.
sed 's/\r$//; s/$/\r/' "$root/assets/portable/SETTINGS-KEY.txt" >"$dir/SETTINGS-KEY.txt"
sed 's/\r$//; s/$/\r/' "$root/assets/portable/dextrel-settings.reg" >"$dir/dextrel-settings.reg"
(cd "$stage" && zip -q -X -r "$out/$portable" Dextrel)

echo "package: $out/$setup"
echo "package: $out/$portable"
