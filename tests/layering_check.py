#!/usr/bin/env python3
"""Fails when a subsystem includes a header of a subsystem above it.

Usage: layering_check.py SOURCE_DIR

Reads every #include "folder/..." line of the C++ files in the subsystem
folders under SOURCE_DIR and prints one line per include that points up or
sideways, then exits 1; exits 0 when every include points down. Where a
lower subsystem must call a higher one, the function is declared in the lower
one's header and defined above (a link seam), so no include needs to point up.
"""

import pathlib
import re
import sys

# What each subsystem may include besides its own headers. The effects share
# the show's random generator, and nothing else of the show.
ALLOWED = {
    "platform": {"resources"},
    "package": {"platform"},
    "image": {"package", "platform"},
    "effects": {"image", "package", "platform", "show/show_random.h"},
    "show": {"effects", "image", "package", "platform"},
    "setup": {"package", "platform", "resources"},
    "host": {"setup", "show", "effects", "image", "package", "platform", "resources"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"(([^/"]+)/[^"]*)"')
SOURCE_SUFFIXES = {".cpp", ".h"}


def allowed(subsystem, header, folder):
    permitted = ALLOWED[subsystem]
    return folder == subsystem or folder in permitted or header in permitted


def main():
    if len(sys.argv) != 2:
        print("usage: layering_check.py SOURCE_DIR", file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1])
    faults = 0
    checked = 0
    for subsystem in sorted(ALLOWED):
        folder_path = root / subsystem
        if not folder_path.is_dir():
            continue
        for path in sorted(folder_path.rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            checked += 1
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if match is None:
                    continue
                header, folder = match.group(1), match.group(2)
                if not allowed(subsystem, header, folder):
                    print(f"{path.relative_to(root)}:{number}: {subsystem} may not include "
                          f'"{header}"')
                    faults += 1
    if checked == 0:
        print(f"no subsystem sources under {root}")
        return 1
    if faults:
        print(f"{faults} include(s) against the layering")
        return 1
    print(f"{checked} files: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
