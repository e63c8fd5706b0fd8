#!/usr/bin/env bash
# Refreshes the pictures of README.md in docs/images/ from what the end-to-end tests saved
# in build/win/e2e-artifacts/ (run e2e_test_benchmark first): the main window cut out of
# the screen before the run, and the saved report rendered by headless Chromium.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
artifacts="$root/build/win/e2e-artifacts/benchmark"
out="$root/docs/images"
for f in options-before-run.png report.htm; do
  [ -f "$artifacts/$f" ] || { echo "docs-images: $artifacts/$f is missing; run e2e_test_benchmark first" >&2; exit 1; }
done
# Only this script needs a browser; the test command does not.
if ! command -v chromium >/dev/null; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq chromium >/dev/null
fi
mkdir -p "$out"

# The window is the only thing on the virtual desktop (1024 x 768 at the top left) that
# is not the desktop's colour.
shot="$artifacts/options-before-run.png"
desktop="$(convert "$shot" -format '%[pixel:p{5,5}]' info:)"
box="$(convert "$shot" -crop 1024x768+0+0 +repage -fill black -fuzz 3% -opaque "$desktop" -format %@ info:)"
convert "$shot" -crop "$box" +repage "$out/main-window.png"

profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars "--user-data-dir=$profile" \
  --window-size=760,1000 "--screenshot=$out/report.png" "file://$artifacts/report.htm" >/dev/null 2>&1
convert "$out/report.png" -trim -bordercolor white -border 16 +repage "$out/report.png"
echo "docs-images: $out/main-window.png $out/report.png"
