#!/usr/bin/env bash
# Installs every Debian package the builds and tests need. Safe to run again:
# apt-get only acts when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build python3 googletest libgtest-dev libgmock-dev
  mingw-w64 wine wine64
  xvfb xauth x11-utils imagemagick librsvg2-bin
  clang libclang-rt-14-dev
  nsis fp-utils zip unzip
  ccache chromium
  openssl libssl-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
