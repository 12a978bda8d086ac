#!/usr/bin/env python3
"""Draws the batch dialog's alignment cell images.

Each file is a 64 x 16 strip of four 16 x 16 images, 24 bits per pixel, in
the order normal, pushed, hot, disabled: an arrow pointing toward the anchor
(a flat bar for the centre), green in the first two and grey in the last two.
The colour RGB (235, 233, 237) is transparent. Run it in this folder; it
needs nothing beyond Python itself.
"""
import math
import struct

KEY = (235, 233, 237)
SIZE = 16

# Outline in pixel coordinates around the cell's centre, pointing up.
ARROW = [(0.0, -7.0), (6.5, -0.5), (2.5, -0.5), (2.5, 6.5),
         (-2.5, 6.5), (-2.5, -0.5), (-6.5, -0.5)]
BAR = [(-6.5, -2.5), (6.5, -2.5), (6.5, 2.5), (-6.5, 2.5)]

# File name and the direction the arrow points, in degrees clockwise from up.
CELLS = {
    "left-top": 315, "top": 0, "right-top": 45,
    "left": 270, "center": None, "right": 90,
    "left-bottom": 225, "bottom": 180, "right-bottom": 135,
}

# (fill, edge) for each of the four states; the pushed image is also moved
# one pixel right and down.
STATES = [
    ((60, 170, 60), (20, 100, 20)),     # normal
    ((40, 135, 40), (10, 70, 10)),      # pushed
    ((165, 165, 165), (105, 105, 105)),  # hot
    ((200, 200, 200), (150, 150, 150)),  # disabled
]


def rotated(points, degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return [(x * c - y * s, x * s + y * c) for x, y in points]


def inside(points, x, y):
    hit = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
            hit = not hit
    return hit


def draw_cell(shape, fill, edge, shift):
    covered = [[inside(shape, x + 0.5 - 8 - shift, y + 0.5 - 8 - shift) for x in range(SIZE)]
               for y in range(SIZE)]
    pixels = [[KEY] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if not covered[y][x]:
                continue
            border = any(not (0 <= y + dy < SIZE and 0 <= x + dx < SIZE and covered[y + dy][x + dx])
                         for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            pixels[y][x] = edge if border else fill
    return pixels


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


for name, direction in CELLS.items():
    shape = BAR if direction is None else rotated(ARROW, direction)
    strip = [[] for _ in range(SIZE)]
    for index, (fill, edge) in enumerate(STATES):
        cell = draw_cell(shape, fill, edge, 1 if index == 1 else 0)
        for y in range(SIZE):
            strip[y] += cell[y]
    write_bmp(f"align-{name}.bmp", strip)
