#!/usr/bin/env python3
"""Draws the application icon and writes it as a .ico file.

Usage: make_icon.py OUTPUT.ico

Every image is a 32-bit BGRA DIB with its AND mask rather than PNG data, so
that every Windows version and every resource tool reads it.
Only the standard library is used and the output depends on nothing but this
file, so each run writes the same bytes.
"""

import math
import struct
import sys

SIZES = (256, 128, 64, 48, 32, 16)

# Artwork in unit coordinates, y pointing down.
TILE_MARGIN = 0.03
TILE_RADIUS = 0.22
GRADIENT_FROM = (255, 176, 46)   # top-left: amber
GRADIENT_TO = (196, 30, 74)      # bottom-right: crimson
LETTER_COLOUR = (255, 255, 255)
SHADOW_COLOUR = (70, 8, 30)
SHADOW_OFFSET = (0.018, 0.028)
SHADOW_SOFTNESS = 0.035
SHADOW_STRENGTH = 0.45
SLANT = 0.10                     # horizontal shift per unit of height


def letter_z():
    left, right, top, bottom = 0.26, 0.74, 0.24, 0.76
    bar, stroke = 0.13, 0.19
    outline = [
        (left, top), (right, top), (right, top + bar),
        (left + stroke, bottom - bar), (right, bottom - bar),
        (right, bottom), (left, bottom), (left, bottom - bar),
        (right - stroke, top + bar), (left, top + bar),
    ]
    return [(x + (0.5 - y) * SLANT, y) for x, y in outline]


LETTER = letter_z()
SHADOW = [(x + SHADOW_OFFSET[0], y + SHADOW_OFFSET[1]) for x, y in LETTER]


def polygon_distance(poly, px, py):
    """Signed distance to a polygon's outline; negative inside."""
    best = float("inf")
    inside = False
    n = len(poly)
    for i in range(n):
        ax, ay = poly[i]
        bx, by = poly[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        wx, wy = px - ax, py - ay
        t = (wx * ex + wy * ey) / (ex * ex + ey * ey)
        t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
        dx, dy = wx - ex * t, wy - ey * t
        d = dx * dx + dy * dy
        if d < best:
            best = d
        if (ay > py) != (by > py) and px < ax + (py - ay) * ex / ey:
            inside = not inside
    best = math.sqrt(best)
    return -best if inside else best


def tile_distance(px, py):
    """Signed distance to the rounded square; negative inside."""
    half = 0.5 - TILE_MARGIN - TILE_RADIUS
    qx = abs(px - 0.5) - half
    qy = abs(py - 0.5) - half
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - TILE_RADIUS


def coverage(distance_at, cx, cy, pixel, grid):
    """Fraction of the pixel centred at (cx, cy) that lies inside a shape.

    Pixels well away from the outline are decided by one sample; only those
    the outline crosses are supersampled.
    """
    d = distance_at(cx, cy)
    if d > pixel:
        return 0.0
    if d < -pixel:
        return 1.0
    hits = 0
    for j in range(grid):
        sy = cy + ((j + 0.5) / grid - 0.5) * pixel
        for i in range(grid):
            sx = cx + ((i + 0.5) / grid - 0.5) * pixel
            if distance_at(sx, sy) < 0.0:
                hits += 1
    return hits / (grid * grid)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def to_byte(value):
    return max(0, min(255, int(value * 255.0 + 0.5)))


def render(size):
    """Rows top to bottom of (b, g, r, a) bytes, straight alpha."""
    pixel = 1.0 / size
    grid = 8 if size <= 32 else 4
    rows = []
    for y in range(size):
        cy = (y + 0.5) * pixel
        row = bytearray()
        for x in range(size):
            cx = (x + 0.5) * pixel
            alpha = coverage(tile_distance, cx, cy, pixel, grid)
            if alpha == 0.0:
                row += b"\0\0\0\0"
                continue
            colour = mix(GRADIENT_FROM, GRADIENT_TO, (cx + cy) / 2.0)
            shadow_d = polygon_distance(SHADOW, cx, cy)
            shadow = min(1.0, max(0.0, 0.5 - shadow_d / SHADOW_SOFTNESS))
            colour = mix(colour, SHADOW_COLOUR, shadow * SHADOW_STRENGTH)
            ink = coverage(lambda u, v: polygon_distance(LETTER, u, v), cx, cy, pixel, grid)
            colour = mix(colour, LETTER_COLOUR, ink)
            r, g, b = (to_byte(c / 255.0) for c in colour)
            row += bytes((b, g, r, to_byte(alpha)))
        rows.append(bytes(row))
    return rows


def dib(size):
    rows = render(size)
    colour = b"".join(reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x in range(size):
            if row[x * 4 + 3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack(
        "<IiiHHIIiiII",
        40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def icon_file(sizes):
    images = [dib(size) for size in sizes]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(sizes, images):
        side = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as out:
        out.write(icon_file(SIZES))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
