#!/usr/bin/env python3
"""Draws the figure image and the icon.

figure_window/figure.bmp: 150 x 230, 24-bit, bottom-up, 54-byte header.
figure_window/zwinkerle.ico: 32 x 32, 16 colours.
packaging/zwinkerle.png: the same icon for the desktop's menus.

Inside the face every pixel is the average of 4 x 4 samples, for smooth lines.
The outer edge is never blended with the background: a pixel belongs to the
face when most of its samples do, and then only face samples are averaged,
so no colour near the key colour can ever appear at the border.
"""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 150, 230
KEY = (0, 1, 43)  # red, green, blue
LEFT_EYE, RIGHT_EYE = (48, 78), (105, 78)

OUTLINE = (62, 38, 24)
SKIN = (252, 214, 176)
SKIN_SHADE = (232, 180, 140)
CHEEK = (246, 170, 160)
HAIR = (128, 72, 32)
HAIR_LIGHT = (166, 102, 50)
EYE_WHITE = (255, 255, 255)
IRIS = (70, 120, 180)
PUPIL = (0, 0, 0)
MOUTH = (150, 34, 46)
TONGUE = (236, 110, 120)
SHIRT = (60, 150, 90)
SHIRT_DARK = (40, 110, 64)


def ellipse(x, y, cx, cy, rx, ry):
    """<= 1 inside the ellipse."""
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2


def in_ring(x, y, cx, cy, rx, ry, width):
    d = ellipse(x, y, cx, cy, rx, ry)
    inner = ellipse(x, y, cx, cy, rx - width, ry - width)
    return d <= 1.0 and inner > 1.0


def colour_at(x, y):
    """The figure's colour at a sample point, or None for background."""
    colour = None
    # shirt and neck
    if y > 196 and ellipse(x, y, 74, 262, 66, 64) <= 1.0:
        colour = OUTLINE if ellipse(x, y, 74, 262, 64, 62) > 1.0 else SHIRT
        if colour == SHIRT and abs(x - 74) < 14 and y < 212 + (abs(x - 74)):
            colour = SHIRT_DARK
    if 56 <= x <= 92 and 184 <= y <= 214:
        colour = OUTLINE if (x < 58 or x > 90) else SKIN_SHADE
    # hair behind the head
    if ellipse(x, y, 74, 92, 64, 72) <= 1.0 and y < 150:
        colour = OUTLINE if ellipse(x, y, 74, 92, 62, 70) > 1.0 else HAIR
    # ears
    for ex in (16, 132):
        if ellipse(x, y, ex, 112, 11, 16) <= 1.0:
            colour = OUTLINE if ellipse(x, y, ex, 112, 9, 14) > 1.0 else SKIN_SHADE
    # head
    if ellipse(x, y, 74, 118, 56, 78) <= 1.0:
        colour = OUTLINE if ellipse(x, y, 74, 118, 54, 76) > 1.0 else SKIN
        # cheeks
        for cx in (38, 110):
            if ellipse(x, y, cx, 114, 11, 7) <= 1.0:
                colour = CHEEK
        # fringe with a wavy lower edge
        fringe = 58 + 7 * math.sin((x - 20) / 7.0) - 0.004 * (x - 74) ** 2 * -1.0
        if y < fringe and ellipse(x, y, 74, 118, 54, 76) <= 1.0:
            colour = HAIR_LIGHT if (int(x) // 9) % 3 == 0 else HAIR
    # eyebrows
    for (ex, ey) in (LEFT_EYE, RIGHT_EYE):
        if in_ring(x, y, ex, ey + 6, 15, 24, 2.2) and y < ey - 12:
            colour = OUTLINE
    # eyes
    for (ex, ey) in (LEFT_EYE, RIGHT_EYE):
        d = ellipse(x, y, ex, ey, 11, 10)
        if d <= 1.0:
            colour = OUTLINE if ellipse(x, y, ex, ey, 9.6, 8.6) > 1.0 else EYE_WHITE
            r = math.hypot(x - ex, y - ey)
            if r < 5.5:
                colour = IRIS
            if r < 3.2:
                colour = PUPIL
            if math.hypot(x - ex - 2, y - ey + 2) < 1.2:
                colour = EYE_WHITE
    # nose
    if ellipse(x, y, 76, 110, 7, 10) <= 1.0 and (x - 76) > -2 and y > 100:
        colour = SKIN_SHADE if ellipse(x, y, 76, 110, 5.5, 8.5) <= 1.0 else OUTLINE
    # mouth: an open smile with a tongue
    if ellipse(x, y, 74, 136, 26, 22) <= 1.0 and y > 140:
        inner = ellipse(x, y, 74, 136, 23.5, 19.5) <= 1.0 and y > 142
        colour = OUTLINE
        if inner:
            colour = TONGUE if ellipse(x, y, 74, 158, 11, 7) <= 1.0 else MOUTH
    return colour


def render(width, height, scale, offset_x=0.0, offset_y=0.0, samples=4):
    """Rows of pixels, top row first; None marks the background."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            hits = []
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale + offset_x
                    y = (py + (sy + 0.5) / samples) * scale + offset_y
                    c = colour_at(x - 0.5, y - 0.5)
                    if c is not None:
                        hits.append(c)
            if 2 * len(hits) <= samples * samples:
                row.append(None)
            else:
                row.append(tuple(round(sum(c[i] for c in hits) / len(hits)) for i in range(3)))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for c in row:
            r, g, b = KEY if c is None else c
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_ico(path, rows, palette):
    size = 32
    def nearest(c):
        return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], c)))
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        indices = [0 if c is None else nearest(c) for c in row]
        for i in range(0, size, 2):
            xor.append((indices[i] << 4) | indices[i + 1])
        bits = 0
        line = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                line.append(bits)
                bits = 0
        mask += line + b"\0" * (4 - len(line) % 4 if len(line) % 4 else 0)
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = info + pal + xor + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def write_png(path, rows):
    """The icon for desktops that cannot read .ico files, with transparency."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + b"".join(bytes((0, 0, 0, 0)) if c is None else bytes(c) + b"\xff" for c in row)
                   for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "figure_window")
    figure = render(WIDTH, HEIGHT, 1.0)
    # the two rightmost columns lie outside the window and stay background
    for row in figure:
        row[-1] = row[-2] = None
    assert figure[0][0] is None
    write_bmp(os.path.join(here, "figure.bmp"), figure)

    palette = [(0, 0, 0), (255, 255, 255), SKIN, SKIN_SHADE, CHEEK, HAIR, HAIR_LIGHT, OUTLINE,
               IRIS, MOUTH, TONGUE, SHIRT, SHIRT_DARK, (128, 128, 128), (200, 200, 200), (90, 60, 40)]
    scale = 230 / 32.0
    icon = render(32, 32, scale, offset_x=74 - 16 * scale, offset_y=0.0, samples=3)
    write_ico(os.path.join(here, "zwinkerle.ico"), icon, palette)
    write_png(os.path.join(here, "..", "packaging", "zwinkerle.png"), icon)


if __name__ == "__main__":
    main()
