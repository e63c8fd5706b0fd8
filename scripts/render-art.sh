#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources in assets/art/ into the forms the
# Windows resources take: 24-bit BMP for GDI, JPEG for the two photos, an icon.
# Usage: render-art.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
src="$1"
out="$2"
mkdir -p "$out"
bmp() {  # name width height
  rsvg-convert -w "$2" -h "$3" "$src/$1.svg" -o "$out/$1.png"
  convert "$out/$1.png" -background black -alpha remove -type TrueColor "BMP3:$out/$1.bmp"
}
jpg() {
  rsvg-convert -w "$2" -h "$3" "$src/$1.svg" -o "$out/$1.png"
  convert "$out/$1.png" -background black -alpha remove -quality 92 "$out/$1.jpg"
}
bmp window 508 323
bmp logo 159 75
bmp run-up 108 32
bmp run-down 108 32
bmp exit 19 16
bmp minimize 22 15
bmp icon-browse 16 16
bmp icon-open 16 16
bmp icon-update 16 16
bmp icon-close 16 16
bmp wizard 118 218
jpg splash 785 547
jpg dialog 228 502
for s in 16 32 48 64; do rsvg-convert -w $s -h $s "$src/app-icon.svg" -o "$out/app-icon-$s.png"; done
convert "$out/app-icon-16.png" "$out/app-icon-32.png" "$out/app-icon-48.png" "$out/app-icon-64.png" "$out/app.ico"
