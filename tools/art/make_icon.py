#!/usr/bin/env python3
"""Draws the setup's icon (a white "Q" ring on a teal rounded square) as a multi-size .ico.

The artwork is made by this script so it can be changed and rebuilt; the committed .ico is
its output:  python3 tools/art/make_icon.py src/resources/VQSetup.ico

Each size is drawn for itself, not reduced from another. The file holds the small and the large
icon of every display scale the setup is tested at (16/32 at 100 %, 20/40 at 125 %, 24/48 at
150 %, 32/64 at 200 %), so Windows finds the exact size there and only reduces a larger one
for scales in between. The same bytes come out on every run.
"""
import math
import struct
import sys


def coverage(fn, x, y, n=4):
    """Fraction of the pixel (x, y) inside the shape fn, by n*n supersampling."""
    inside = 0
    for i in range(n):
        for j in range(n):
            if fn(x + (i + 0.5) / n, y + (j + 0.5) / n):
                inside += 1
    return inside / (n * n)


def draw(size):
    s = float(size)
    r = s * 0.18  # corner radius

    def square(x, y):
        cx = min(max(x, r), s - r)
        cy = min(max(y, r), s - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    def ring(x, y):
        d = math.hypot(x - s * 0.47, y - s * 0.46)
        return s * 0.20 <= d <= s * 0.32

    def tail(x, y):
        # a short bar from the ring's lower right outward
        u, v = (x - s * 0.60) / s, (y - s * 0.60) / s
        along = (u + v) / math.sqrt(2)
        across = (u - v) / math.sqrt(2)
        return 0.0 <= along <= 0.26 and abs(across) <= 0.055

    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            a = coverage(square, x, y)
            t = y / s
            base = (int(40 + 30 * t), int(128 - 40 * t), int(140 - 30 * t))  # teal, darker below
            w = max(coverage(ring, x, y), coverage(tail, x, y))
            rgb = tuple(int(c * (1 - w) + 255 * w) for c in base)
            row.append((rgb, int(255 * a)))
        pixels.append(row)
    return pixels


def bmp_entry(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = bytearray()
    for row in reversed(pixels):  # bottom-up
        for (r, g, b), a in row:
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    data += bytes(mask_row * size)  # AND mask unused with alpha
    return header + bytes(data)


def main(out):
    sizes = [16, 20, 24, 32, 40, 48, 64]
    images = [bmp_entry(n) for n in sizes]
    offset = 6 + 16 * len(sizes)
    ico = struct.pack('<HHH', 0, 1, len(sizes))
    for n, img in zip(sizes, images):
        ico += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, 'wb') as f:
        f.write(ico + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1])
