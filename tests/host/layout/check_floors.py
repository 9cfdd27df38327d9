#!/usr/bin/env python3
"""Keeps the floors of the uninstaller's source folders.

Every folder of uninstaller/ stands on one floor; a file may include headers
of its own folder and of the folders below it, never of a folder above it, so
no two folders can include each other. A folder that is on no floor is an
error too: it has to be given its place here first.

Usage: check_floors.py UNINSTALLER_FOLDER
Prints every include that breaks the rule and exits 1, or exits 0.
"""
import os
import re
import sys

# From the ground up.
FLOORS = ["core", "security", "removal", "qmconfig", "checks", "engine", "wizard", "app"]
# The resource scripts sit beside the program's entry and may use any header.
ON_TOP = {"resources"}
SOURCE_ENDINGS = (".c", ".cpp", ".h", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def floor_of(folder):
    if folder in ON_TOP:
        return len(FLOORS)
    return FLOORS.index(folder) if folder in FLOORS else None


def main(root):
    problems = []
    edges = set()
    folders = sorted(d for d in os.listdir(root) if os.path.isdir(os.path.join(root, d)))
    for folder in folders:
        own = floor_of(folder)
        if own is None:
            problems.append(f"{folder}/: a folder on no floor")
            continue
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                path = os.path.join(base, name)
                shown = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match or "/" not in match.group(1):
                            continue  # a system header or one of the same folder
                        target = match.group(1).split("/")[0]
                        if target == folder or not os.path.isdir(os.path.join(root, target)):
                            continue
                        edges.add((folder, target))
                        below = floor_of(target)
                        if below is None or below > own:
                            problems.append(f"{shown}:{number}: {folder}/ includes {match.group(1)} from above")
    for a, b in sorted(edges):
        if a < b and (b, a) in edges:
            problems.append(f"{a}/ and {b}/ include each other")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} layering problem(s) in {len(folders)} folders")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
