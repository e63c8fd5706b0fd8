#!/bin/sh
# Fails when a program or library imports a DLL that Windows does not ship (a mingw
# runtime, say), or, after "--machine FORMAT" (i386, x86-64), is not of that machine type.
#   check-imports.sh [--machine FORMAT] FILE... [--machine FORMAT FILE...]
status=0
machine=""
while [ $# -gt 0 ]; do
  if [ "$1" = "--machine" ]; then
    machine="$2"
    shift 2
    continue
  fi
  exe="$1"
  shift
  if [ -n "$machine" ]; then
    format=$(x86_64-w64-mingw32-objdump -f "$exe" | sed -n 's/.*file format pei-//p')
    [ "$format" = "$machine" ] || { echo "$exe is ${format:-not a PE file}, not $machine"; status=1; }
  fi
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$exe: no imports found"; status=1; }
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|oleaut32.dll|comctl32.dll|comdlg32.dll|\
      shlwapi.dll|version.dll|dbghelp.dll|psapi.dll|wininet.dll|urlmon.dll|gdiplus.dll|msvcrt.dll|url.dll|\
      windowscodecs.dll|winmm.dll|uxtheme.dll|bcrypt.dll|opengl32.dll|api-ms-win-*) ;;
      *) echo "$exe imports $dll, which Windows does not ship"; status=1 ;;
    esac
  done
  echo "$exe: ${machine:+${format:-unknown}, }$(echo $dlls | wc -w) system DLLs"
done
exit $status
