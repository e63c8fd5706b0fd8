#!/bin/sh
# Writes the module definition of a capture library: every function of the system's
# opengl32, read from the import library, forwarded to it, except wglSwapBuffers, which
# the library's own stamping function answers.
# Usage: opengl-forwarders.sh NM IMPORT_LIBRARY LIBRARY_NAME STAMPING_SYMBOL OUTPUT
set -eu
nm="$1" lib="$2" name="$3" own="$4" out="$5"
# x64 lists __imp_glBegin, x86 __imp__glBegin@4.
names=$("$nm" "$lib" | sed -n 's/^[0-9a-fA-F]* I __imp__\{0,1\}\([A-Za-z][A-Za-z0-9_]*\)\(@[0-9]*\)\{0,1\}$/\1/p' | sort -u)
count=$(printf '%s\n' "$names" | grep -c .) || true
# A import library that lost its list would make a library missing most of OpenGL.
[ "$count" -ge 300 ] || { echo "opengl-forwarders: only $count functions in $lib" >&2; exit 1; }
printf '%s\n' "$names" | grep -qx wglSwapBuffers || { echo "opengl-forwarders: no wglSwapBuffers in $lib" >&2; exit 1; }
{
  echo "LIBRARY $name"
  echo "EXPORTS"
  printf '%s\n' "$names" | grep -vx wglSwapBuffers | sed 's/.*/&=opengl32.&/'
  echo "wglSwapBuffers=$own"
} >"$out.tmp"
mv "$out.tmp" "$out"
