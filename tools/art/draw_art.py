#!/usr/bin/env python3
"""Draws Quillet Maker's artwork: the program icon and the splash picture.

Writes app/resources/quillet.ico (32 x 32 in 16 and in 256 colours, 16 x 16 in 16 colours)
and app/resources/splash.bmp (348 x 85, 16 colours). Standard library only, so that the
pictures can be redrawn anywhere; the outputs are kept in the repository and the build
does not run this script.

    python3 tools/art/draw_art.py
"""

import os
import struct

# The 16 colours every 16-colour Windows display has, in their usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# 5 x 7 capitals and a few signs, one string of five pixels per row.
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'H': ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'W': ["10001", "10001", "10001", "10101", "10101", "11011", "10001"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    '-': ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    ' ': ["00000"] * 7,
}


class Canvas:
    """A picture of palette indices, (0, 0) at the top left."""

    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]
        self.opaque = [[True] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour
            self.opaque[y][x] = True

    def clear(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.opaque[y][x] = False

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, colour)
            self.dot(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, colour)
            self.dot(x1, y, colour)

    def rounded(self, x0, y0, x1, y1, radius, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                dx = max(x0 + radius - x, 0, x - (x1 - radius))
                dy = max(y0 + radius - y, 0, y - (y1 - radius))
                if dx * dx + dy * dy <= radius * radius:
                    self.dot(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            for oy in range(width):
                for ox in range(width):
                    self.dot(x + ox - width // 2, y + oy - width // 2, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1):
            crossings = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= y < by) or (by <= y < ay):
                    crossings.append(ax + (y - ay) * (bx - ax) / (by - ay))
            crossings.sort()
            for left, right in zip(crossings[::2], crossings[1::2]):
                for x in range(round(left), round(right) + 1):
                    self.dot(x, y, colour)

    def text(self, x, y, words, colour, scale, shadow=None):
        for ch in words:
            glyph = FONT[ch]
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        if shadow is not None:
                            self.rect(x + col * scale + 1, y + row * scale + 1,
                                      x + col * scale + scale, y + row * scale + scale, shadow)
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x + col * scale, y + row * scale,
                                  x + col * scale + scale - 1, y + row * scale + scale - 1, colour)
            x += 6 * scale


def quill(c, tip, length, colour, vane, shaft=BLACK):
    """A feather pen lying from its nib at tip up and to the right."""
    tx, ty = tip
    ex, ey = tx + length, ty - length
    # The vane: a long leaf on either side of the shaft's upper part.
    mid = 0.55
    mx, my = tx + length * mid, ty - length * mid
    spread = max(2, length // 6)
    c.polygon([(round(tx + length * 0.25), round(ty - length * 0.25)),
               (round(mx - spread), round(my - spread)), (ex, ey),
               (round(mx + spread), round(my + spread))], vane)
    c.line(tx + length // 4, ty - length // 4, ex, ey, colour)
    c.line(tx, ty, tx + length // 4, ty - length // 4, shaft, 2)


def handheld(c, x0, y0, width, height):
    """A Palm-style handheld: a body, a screen with lines of text, four buttons."""
    x1, y1 = x0 + width - 1, y0 + height - 1
    c.rounded(x0, y0, x1, y1, max(2, width // 8), GRAY)
    c.rounded(x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(2, width // 8), SILVER)
    sx0, sy0 = x0 + width // 7, y0 + height // 9
    sx1, sy1 = x1 - width // 7, y0 + height * 6 // 10
    c.rect(sx0, sy0, sx1, sy1, WHITE)
    c.frame(sx0 - 1, sy0 - 1, sx1 + 1, sy1 + 1, BLACK)
    step = max(2, (sy1 - sy0) // 6)
    for i, y in enumerate(range(sy0 + step, sy1 - 1, step)):
        inset = (i * 7) % 5 if width > 20 else 0
        c.line(sx0 + 2, y, sx1 - 2 - inset, y, NAVY)
    by = y0 + height * 8 // 10
    half = 1 if width >= 20 else 0  # single-pixel buttons on the small icon
    for i in range(4):
        bx = x0 + width * (2 * i + 1) // 8
        c.rect(bx - half, by - half, bx + half, by + half, NAVY)


def draw_splash():
    c = Canvas(348, 85, WHITE)
    c.rect(0, 0, 347, 84, WHITE)
    c.rect(0, 66, 347, 84, NAVY)          # a band along the foot
    c.line(0, 65, 347, 65, TEAL)
    handheld(c, 14, 6, 52, 74)
    quill(c, (48, 46), 40, NAVY, AQUA)
    c.text(96, 12, "QUILLET MAKER", NAVY, 3, shadow=SILVER)
    c.text(98, 44, "PALM DOC E-BOOKS", TEAL, 2)
    c.text(120, 71, "TEXT - HTML - DOC", WHITE, 1)
    return c


def draw_icon(size):
    c = Canvas(size, size, WHITE)
    for y in range(size):
        for x in range(size):
            c.clear(x, y)
    if size >= 32:
        handheld(c, 3, 2, 20, 28)
        quill(c, (14, 22), 16, NAVY, AQUA)
    else:
        handheld(c, 1, 1, 10, 14)
        quill(c, (7, 11), 8, NAVY, AQUA)
    return c


def palette256():
    colours = list(VGA)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                colours.append((r * 51, g * 51, b * 51))
    while len(colours) < 256:
        level = (len(colours) - 232) * 10 + 8
        colours.append((level, level, level))
    return colours[:256]


def packed_rows(canvas, bits):
    """The pixel rows, bottom row first, packed and padded to 4 bytes."""
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        if bits == 4:
            values = canvas.pixels[y] + [0] * (canvas.width % 2)
            for x in range(0, len(values), 2):
                row.append(values[x] << 4 | values[x + 1])
        else:
            row.extend(canvas.pixels[y])
        row.extend(b"\0" * (-len(row) % 4))
        rows.append(bytes(row))
    return b"".join(rows)


def mask_rows(canvas):
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray((canvas.width + 7) // 8)
        for x in range(canvas.width):
            if not canvas.opaque[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        row.extend(b"\0" * (-len(row) % 4))
        rows.append(bytes(row))
    return b"".join(rows)


def info_header(width, height, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, colours, 0)


def palette_bytes(colours):
    return b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in colours)


def write_bmp(path, canvas):
    body = info_header(canvas.width, canvas.height, 4, 16) + palette_bytes(VGA)
    pixels = packed_rows(canvas, 4)
    offset = 14 + len(body)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(body + pixels)


def icon_image(canvas, bits):
    colours = VGA if bits == 4 else palette256()
    header = info_header(canvas.width, canvas.height * 2, bits, len(colours))
    return header + palette_bytes(colours) + packed_rows(canvas, bits) + mask_rows(canvas)


def write_ico(path, images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for canvas, bits in images:
        image = icon_image(canvas, bits)
        colour_count = 16 if bits == 4 else 0
        entries += struct.pack("<BBBBHHII", canvas.width, canvas.height, colour_count, 0, 1,
                               bits, len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(directory + entries + data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "..", "app", "resources")
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "splash.bmp"), draw_splash())
    big = draw_icon(32)
    write_ico(os.path.join(out, "quillet.ico"), [(big, 4), (big, 8), (draw_icon(16), 4)])


if __name__ == "__main__":
    main()
