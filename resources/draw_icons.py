#!/usr/bin/env python3
"""Draws the program's two icons as 32 x 32, 16-colour .ico files.

    draw_icons.py OUTPUT_DIR

Writes OUTPUT_DIR/program.ico (icon 100: a framed landscape under a sun, the
slide show itself) and OUTPUT_DIR/settings.ico (icon 102: a cog, for the
settings group). Both use the standard 16-colour palette, 4 bits per pixel,
with an AND mask for the transparent parts. The pictures are computed here,
pixel by pixel, so that the build needs nothing but this script.
"""

import math
import os
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

def blank():
    """A picture of transparent pixels (None); others are palette indexes."""
    return [[None] * SIZE for _ in range(SIZE)]


def framed_landscape():
    """A picture in a wooden frame: sky, sun, two hills and a lake."""
    pic = blank()
    left, top, right, bottom = 1, 3, 30, 28
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = min(x - left, right - x, y - top, bottom - y)
            if edge == 0:
                pic[y][x] = BLACK
            elif edge == 1:
                # Light falls from the top left onto the frame.
                lit = (x - left) + (y - top) < (right - x) + (bottom - y)
                pic[y][x] = YELLOW if lit else OLIVE
            elif edge == 2:
                pic[y][x] = OLIVE
            elif edge == 3:
                pic[y][x] = BLACK
    inner = (left + 4, top + 4, right - 4, bottom - 4)
    sun = (inner[2] - 6, inner[1] + 4)
    for y in range(inner[1], inner[3] + 1):
        for x in range(inner[0], inner[2] + 1):
            far_hill = inner[1] + 10 + round(3 * math.cos((x - inner[0]) / 3.2))
            near_hill = inner[1] + 13 + round(2.5 * math.sin((x - inner[0]) / 2.6 + 1.0))
            lake = inner[3] - 3
            distance = math.hypot(x - sun[0], y - sun[1])
            if y >= lake:
                # Ripples: every other pixel of every other row catches light.
                pic[y][x] = AQUA if (x + 2 * y) % 5 == 0 else BLUE
            elif y >= near_hill:
                pic[y][x] = GREEN
            elif y >= far_hill:
                pic[y][x] = LIME if (x * 7 + y * 3) % 11 else GREEN
            elif distance <= 3.0:
                pic[y][x] = YELLOW
            elif distance <= 4.2 and (x + y) % 2 == 0:
                pic[y][x] = RED
            elif math.hypot((x - inner[0] - 4) / 2.2, y - inner[1] - 3) <= 1.3:
                pic[y][x] = WHITE  # a small cloud
            else:
                pic[y][x] = AQUA
    # A hanger above the frame.
    for x, y in ((14, 2), (15, 1), (16, 1), (17, 2)):
        pic[y][x] = GRAY
    return pic


def cog():
    """A cog with eight teeth, lit from the top left, with a blue hub."""
    pic = blank()
    centre = (SIZE - 1) / 2

    def solid(x, y):
        dx, dy = x - centre, y - centre
        r = math.hypot(dx, dy)
        # The teeth: a square wave around the rim.
        outer = 15.0 if math.cos(8 * math.atan2(dy, dx)) > -0.15 else 11.5
        return 3.6 < r <= outer

    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - centre, y - centre
            r = math.hypot(dx, dy)
            if r <= 3.6:
                pic[y][x] = AQUA if r <= 1.6 else BLUE
            elif not solid(x, y):
                continue
            elif not all(0 <= x + i < SIZE and 0 <= y + j < SIZE and solid(x + i, y + j)
                         for i, j in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                pic[y][x] = BLACK if r > 4.8 else NAVY
            else:
                light = -(dx + dy) / r
                pic[y][x] = WHITE if light > 0.9 else SILVER if light > -0.5 else GRAY
    return pic


def ico_bytes(pic):
    """One 32 x 32 image of 4 bits per pixel with its AND mask, in an .ico."""
    xor_rows = []
    and_rows = []
    # DIB rows run bottom up.
    for row in reversed(pic):
        xor = bytearray()
        for x in range(0, SIZE, 2):
            high = row[x] if row[x] is not None else 0
            low = row[x + 1] if row[x + 1] is not None else 0
            xor.append(high << 4 | low)
        xor_rows.append(bytes(xor))
        mask = 0
        for x in range(SIZE):
            mask = mask << 1 | (1 if row[x] is None else 0)
        and_rows.append(struct.pack(">I", mask))
    xor_bits = b"".join(xor_rows)
    and_bits = b"".join(and_rows)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # The height counts the colour and the mask bitmaps together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    image = header + colours + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icons.py OUTPUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, pic in (("program.ico", framed_landscape()), ("settings.ico", cog())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico_bytes(pic))


if __name__ == "__main__":
    main()
