#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources in assets/art/ into the forms the
# Windows resources take: opaque PNG for the drawn pictures, JPEG for the two photos (both
# decoded with GDI+), an icon.
# Usage: render-art.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
src="$1"
out="$2"
mkdir -p "$out"
png() {  # name width height
  rsvg-convert -w "$2" -h "$3" "$src/$1.svg" -o "$out/$1.svg.png"
  convert "$out/$1.svg.png" -background black -alpha remove -alpha off -strip -define png:compression-level=9 \
    "PNG24:$out/$1.png"
}
jpg() {
  rsvg-convert -w "$2" -h "$3" "$src/$1.svg" -o "$out/$1.svg.png"
  convert "$out/$1.svg.png" -background black -alpha remove -quality 92 "$out/$1.jpg"
}
png window 508 323
png logo 159 75
png run-up 108 32
png run-down 108 32
png exit 19 16
png minimize 22 15
png icon-browse 16 16
png icon-open 16 16
png icon-update 16 16
png icon-close 16 16
png wizard 118 218
jpg splash 785 547
jpg dialog 228 502
for s in 16 32 48 64; do rsvg-convert -w $s -h $s "$src/app-icon.svg" -o "$out/app-icon-$s.png"; done
convert "$out/app-icon-16.png" "$out/app-icon-32.png" "$out/app-icon-48.png" "$out/app-icon-64.png" "$out/app.ico"
