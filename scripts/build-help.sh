#!/usr/bin/env bash
# Compiles the help file from its HTML sources with chmcmd, the logo rendered beside them.
# Usage: build-help.sh HELP_SOURCE_DIR LOGO_SVG OUTPUT_CHM
set -euo pipefail
src="$1"
logo="$2"
out="$3"
work="$(dirname "$out")/help-build"
rm -rf "$work"
mkdir -p "$work"
cp "$src"/* "$work/"
rsvg-convert -w 159 -h 75 "$logo" -o "$work/logo.png"
(cd "$work" && chmcmd --no-html-scan dextrel.hhp >chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
mv "$work/help.chm" "$out"
