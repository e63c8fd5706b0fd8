#!/bin/sh
# Prints the size of each built file that ships, so a build shows what it weighs.
for file in "$@"; do
  [ -f "$file" ] && printf 'size: %-50s %9d bytes\n' "$(basename "$file")" "$(wc -c < "$file")"
done
exit 0
