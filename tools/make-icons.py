#!/usr/bin/env python3
"""Draws the program's three clock icons as 16-colour .ico files.

    make-icons.py OUTPUT_DIR

Writes horalux.ico (grey rim), not-synced.ico (red ring and bar) and
synced.ico (green rim), each with an image for every size the shell asks
for at 100 to 300 % display scaling: 48, 40, 32, 24, 20 and 16 pixels, each
drawn for its size rather than scaled. The icons are committed in res/; run
this again after changing the drawing.
"""
import os
import struct
import sys

# The standard 16-colour palette, so the icons look the same on every display.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, GREY, RED, WHITE = 0, 2, 8, 9, 15
TRANSPARENT = None

# Per size: outer radius, inner radius of the rim, hand and tick geometry.
# Hands are one pixel wide below 32 and two from 32 on.
GEOMETRY = {
    48: dict(outer=23.9, rim=18.6, minute=13, hour=9, hand=1, tick=(14.4, 17.1), bar=2.5),
    40: dict(outer=19.9, rim=15.5, minute=11, hour=7, hand=1, tick=(12.0, 14.3), bar=2.1),
    32: dict(outer=15.9, rim=12.4, minute=9, hour=6, hand=1, tick=(9.6, 11.4), bar=1.7),
    24: dict(outer=11.95, rim=8.9, minute=5, hour=4, hand=0, tick=(7.0, 8.2), bar=1.3),
    20: dict(outer=9.95, rim=7.3, minute=5, hour=4, hand=0, tick=None, bar=1.1),
    16: dict(outer=7.95, rim=5.7, minute=4, hour=3, hand=0, tick=None, bar=0.9),
}


def draw(size, rim_colour, crossed):
    g = GEOMETRY[size]
    half = size / 2.0
    # Two-pixel hands meet in the middle two pixels, one-pixel hands in the
    # pixel left of and above the centre, which keeps them sharp.
    c = size // 2 - 1
    pixels = [[TRANSPARENT] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            dx, dy = x + 0.5 - half, y + 0.5 - half
            d = (dx * dx + dy * dy) ** 0.5
            if d >= g["outer"]:
                continue
            if d >= g["rim"]:
                pixels[y][x] = rim_colour
                continue
            colour = WHITE
            if g["tick"] and g["tick"][0] <= d <= g["tick"][1] and (abs(dx) < 1 or abs(dy) < 1):
                colour = BLACK
            minute_hand = c <= x <= c + g["hand"] and c - g["minute"] <= y <= c + g["hand"]
            hour_hand = c <= y <= c + g["hand"] and c <= x <= c + g["hand"] + g["hour"]
            if minute_hand or hour_hand:
                colour = BLACK
            if crossed and abs(dx - dy) / 2 ** 0.5 < g["bar"]:
                colour = rim_colour
            pixels[y][x] = colour
    return pixels


def bitmap(pixels):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour rows, AND mask."""
    size = len(pixels)
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bottom-up
        nibbles = [0 if p is TRANSPARENT else p for p in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(packed.ljust(xor_stride, b"\0"))
        mask = bytearray(and_stride)
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(mask))
    xor_bits, and_bits = b"".join(xor_rows), b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + xor_bits + and_bits


def icon_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return directory + entries + blobs


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    for name, rim, crossed in (("horalux.ico", GREY, False),
                               ("not-synced.ico", RED, True),
                               ("synced.ico", GREEN, False)):
        images = [(s, bitmap(draw(s, rim, crossed))) for s in GEOMETRY]
        with open(os.path.join(out, name), "wb") as f:
            f.write(icon_file(images))


if __name__ == "__main__":
    main()
