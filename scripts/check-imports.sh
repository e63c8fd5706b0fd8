#!/bin/sh
# Fails when a program imports a DLL that Windows does not ship (a mingw runtime, say).
status=0
for exe in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$exe: no imports found"; status=1; }
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|oleaut32.dll|comctl32.dll|comdlg32.dll|\
      shlwapi.dll|version.dll|dbghelp.dll|psapi.dll|wininet.dll|urlmon.dll|gdiplus.dll|msvcrt.dll|url.dll|\
      windowscodecs.dll|winmm.dll|uxtheme.dll|bcrypt.dll|api-ms-win-*) ;;
      *) echo "$exe imports $dll, which Windows does not ship"; status=1 ;;
    esac
  done
  echo "$exe: $(echo $dlls | wc -w) system DLLs"
done
exit $status
