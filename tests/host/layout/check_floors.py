#!/usr/bin/env python3
"""Keeps the floors of the uninstaller's source folders.

Every folder of uninstaller/ stands on one floor; a file may include headers
of its own folder and of the folders below it, never of a folder above it, so
no two folders can include each other. A folder that is on no floor is an
error too: it has to be given its place here first.

Usage: check_floors.py UNINSTALLER_FOLDER
       check_floors.py --self-test
Prints every include that breaks the rule and exits 1, or exits 0. The self
test runs the check on small made-up trees and fails when it misjudges one.
"""
import contextlib
import io
import os
import re
import sys
import tempfile

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


def self_test():
    cases = [
        # (files and their includes, problems expected)
        ({"core/a.cpp": ["core/a.h", "core/b.h"], "app/m.cpp": ["wizard/p.h", "core/a.h"], "wizard/p.h": []}, 0),
        ({"core/a.cpp": ["wizard/p.h"], "wizard/p.h": []}, 1),                    # upward
        ({"core/a.cpp": ["engine/w.h"], "engine/w.h": [], "engine/w.cpp": ["core/a.h"]}, 2),  # and a circle
        ({"removal/f.cpp": ["qmconfig/q.h"], "qmconfig/q.h": []}, 1),
        ({"core/a.cpp": ["attic/x.h"], "attic/x.h": []}, 2),                      # a folder on no floor
        ({"resources/s.rc": ["wizard/nlsids.h"], "wizard/nlsids.h": []}, 0),
        ({"core/a.cpp": ["<windows.h>", "text.h"]}, 0),                          # system and own-folder headers
    ]
    failed = 0
    for files, expected in cases:
        with tempfile.TemporaryDirectory() as root:
            for name, includes in files.items():
                path = os.path.join(root, *name.split("/"))
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w") as out:
                    for include in includes:
                        out.write(f"#include {include}\n" if include.startswith("<") else f'#include "{include}"\n')
            printed = io.StringIO()
            with contextlib.redirect_stdout(printed):
                main(root)
            found = len(printed.getvalue().splitlines()) - 1
            if found != expected:
                failed += 1
                print(f"misjudged {sorted(files)}: {found} problem(s), expected {expected}\n{printed.getvalue()}")
    print(f"{len(cases) - failed} of {len(cases)} made-up trees judged right")
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
