#!/usr/bin/env python3
"""Fails when an #include "..." of a product folder points up the layer order.

The allowed arrows are the table under "## Layers" in docs/ARCHITECTURE.md, so the
document and the check cannot tell different stories. A folder's win32/ part sits with
its folder, but nothing outside a win32/ folder may include one.

    python3 scripts/check-layers.py [--root TREE]"""
import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
ROW = re.compile(r"^\|\s*`([^`]+)`\s*\|(.*)\|\s*$")


def read_table(doc):
    """{folder: set of folders it may include}, from the Layers table."""
    allowed, inside = {}, False
    with open(doc, encoding="utf-8") as f:
        for line in f:
            if line.startswith("## "):
                inside = line.strip() == "## Layers"
                continue
            match = ROW.match(line.strip()) if inside else None
            if match:
                allowed[match.group(1)] = set(re.findall(r"`([^`]+)`", match.group(2)))
    return allowed


def problems(root, allowed):
    top_folders = {name for name in os.listdir(root) if os.path.isdir(os.path.join(root, name))}
    for folder in sorted(allowed):
        for base, dirs, files in os.walk(os.path.join(root, folder)):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(base, name)
                shown = os.path.relpath(path, root)
                in_win32 = "win32" in shown.split(os.sep)[:-1]
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = match.group(1)
                        parts = target.split("/")
                        # A name without a folder is a file the build generates beside the script.
                        if len(parts) < 2 or parts[0] not in top_folders:
                            continue
                        if parts[0] not in allowed[folder]:
                            yield (f'{shown}:{number}: includes "{target}", but {folder}/ may include only '
                                   f'{", ".join(sorted(allowed[folder]))}')
                        elif not in_win32 and "win32" in parts[:-1]:
                            yield f'{shown}:{number}: includes "{target}", a Win32 part, from outside a win32/ folder'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    args = parser.parse_args()
    allowed = read_table(os.path.join(args.root, "docs", "ARCHITECTURE.md"))
    if not allowed:
        print("docs/ARCHITECTURE.md has no Layers table to check against")
        return 1
    found = list(problems(args.root, allowed))
    for problem in found:
        print(problem)
    print(f"{len(found)} includes against the layer order in {', '.join(sorted(allowed))}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
