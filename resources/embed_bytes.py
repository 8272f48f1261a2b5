#!/usr/bin/env python3
"""Writes a file's bytes as the C++ array that embedded_resources.h declares.

    embed_bytes.py INPUT OUTPUT.cpp
"""

import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: embed_bytes.py INPUT OUTPUT.cpp")
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    lines = []
    for start in range(0, len(data), 16):
        lines.append("    " + ", ".join("0x%02x" % b for b in data[start:start + 16]) + ",")
    text = (
        "// Made by embed_bytes.py from %s at build time.\n"
        '#include "resources/embedded_resources.h"\n\n'
        "const unsigned char kEmbeddedResources[] = {\n%s\n};\n"
        "const size_t kEmbeddedResourcesSize = sizeof(kEmbeddedResources);\n"
        % (sys.argv[1].replace("\\", "/").rsplit("/", 1)[-1], "\n".join(lines)))
    with open(sys.argv[2], "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
