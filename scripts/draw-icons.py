#!/usr/bin/env python3
"""Draws the dialog's five page icons as 16-colour .ico files.

Each icon is 32x32 in the standard 16-colour palette; the memory icon also
carries a 16x16 image. Run from the repository root; writes dialog/icons/.
The pictures are simple pictograms built from rectangles, lines and
ellipses, so the script is the source and the .ico files are its output.
"""
import struct
import sys
from pathlib import Path

# The standard 16-colour palette (RGB), index 0..15.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = None  # transparent pixel


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[CLEAR] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0, c)
        self.rect(x0, y1, x1, y1, c)
        self.rect(x0, y0, x0, y1, c)
        self.rect(x1, y0, x1, y1, c)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)

    def ellipse(self, cx, cy, rx, ry, c):
        for y in range(self.size):
            for x in range(self.size):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    self.put(x, y, c)


def windows_icon():
    """An application window: title bar, caption buttons, client area."""
    c = Canvas(32)
    c.rect(3, 5, 28, 26, SILVER)
    c.frame(2, 4, 29, 27, BLACK)
    c.rect(3, 5, 28, 9, NAVY)
    c.rect(24, 6, 27, 8, SILVER)
    c.rect(5, 11, 26, 25, WHITE)
    c.frame(5, 11, 26, 25, GREY)
    for y in (14, 17, 20):
        c.rect(7, y, 20, y, TEAL)
    c.rect(30, 6, 30, 28, GREY)  # shadow
    c.rect(4, 28, 30, 28, GREY)
    return c


def system_icon():
    """A computer: monitor on a desktop case."""
    c = Canvas(32)
    c.rect(5, 2, 26, 18, SILVER)
    c.frame(5, 2, 26, 18, BLACK)
    c.rect(8, 5, 23, 15, NAVY)
    c.rect(10, 7, 17, 8, AQUA)
    c.rect(10, 10, 20, 10, AQUA)
    c.rect(13, 19, 18, 20, GREY)
    c.rect(2, 21, 29, 29, SILVER)
    c.frame(2, 21, 29, 29, BLACK)
    c.rect(5, 24, 14, 25, GREY)
    c.rect(24, 24, 25, 25, LIME)
    return c


def memory_icon(size):
    """A memory module: green board, black chips, gold contacts."""
    c = Canvas(size)
    s = size / 32
    def r(v):
        return int(round(v * s))
    c.rect(r(1), r(9), r(30), r(22), GREEN)
    c.frame(r(1), r(9), r(30), r(22), BLACK)
    for x in (4, 11, 18, 25):
        c.rect(r(x), r(12), r(x) + max(r(4), 1), r(18), BLACK)
    for x in range(3, 30, 3):
        c.rect(r(x), r(23), r(x) + max(r(1), 0), r(25), YELLOW)
    c.rect(r(14), r(21), r(16), r(22), CLEAR)  # key notch
    return c


def network_icon():
    """Two computers joined by a cable."""
    c = Canvas(32)
    for x0, y0 in ((1, 3), (17, 13)):
        c.rect(x0, y0, x0 + 13, y0 + 10, SILVER)
        c.frame(x0, y0, x0 + 13, y0 + 10, BLACK)
        c.rect(x0 + 2, y0 + 2, x0 + 11, y0 + 8, TEAL)
        c.rect(x0 + 4, y0 + 11, x0 + 9, y0 + 12, GREY)
    c.line(7, 16, 7, 28, BLACK)
    c.line(7, 28, 23, 28, BLACK)
    c.line(23, 28, 23, 26, BLACK)
    c.rect(6, 27, 8, 29, RED)
    return c


def libraries_icon():
    """A stack of library files with a gear."""
    c = Canvas(32)
    for i, colour in enumerate((GREY, SILVER, WHITE)):
        x0, y0 = 3 + 3 * i, 2 + 3 * i
        c.rect(x0, y0, x0 + 15, y0 + 19, colour)
        c.frame(x0, y0, x0 + 15, y0 + 19, BLACK)
    for y in (13, 16, 19):
        c.rect(11, y, 20, y, NAVY)
    c.ellipse(23, 23, 7, 7, OLIVE)
    c.ellipse(23, 23, 5, 5, YELLOW)
    c.ellipse(23, 23, 2, 2, BLACK)
    for dx, dy in ((0, -7), (0, 7), (-7, 0), (7, 0)):
        c.rect(23 + dx - 1, 23 + dy - 1, 23 + dx + 1, 23 + dy + 1, OLIVE)
    return c


def image_bytes(canvas):
    """BITMAPINFOHEADER, palette, 4-bit XOR bitmap and 1-bit AND mask."""
    n = canvas.size
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    xor, mask = b"", b""
    for y in reversed(range(n)):  # bottom-up rows
        row = canvas.px[y]
        nibbles = [0 if p is CLEAR else p for p in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, n, 2))
        xor += packed.ljust(xor_stride, b"\0")
        bits = 0
        for x, p in enumerate(row):
            if p is CLEAR:
                bits |= 1 << (n - 1 - x)
        mask += bits.to_bytes((n + 7) // 8, "big").ljust(and_stride, b"\0")
    return header + palette + xor + mask


def ico(canvases):
    images = [image_bytes(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.size, c.size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    target = Path(sys.argv[1] if len(sys.argv) > 1 else "dialog/icons")
    target.mkdir(parents=True, exist_ok=True)
    icons = {
        "windows.ico": [windows_icon()],
        "system.ico": [system_icon()],
        "memory.ico": [memory_icon(32), memory_icon(16)],
        "network.ico": [network_icon()],
        "libraries.ico": [libraries_icon()],
    }
    for name, canvases in icons.items():
        (target / name).write_bytes(ico(canvases))


if __name__ == "__main__":
    main()
