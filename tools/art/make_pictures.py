#!/usr/bin/env python3
"""Draws the setup wizard's pictures as 24-bit .bmp files, each at three display scales.

Like make_icon.py, the artwork lives in this script so it can be changed and rebuilt; the
committed pictures are its output:  python3 tools/art/make_pictures.py src/resources/art

    ImageTop.bmp        500 x 70   banner across the top of the wizard pages
    SetupImage.bmp      164 x 316  tall picture on the welcome page
    SetupIconImage.bmp   32 x 32   language icon beside the language question
    Image1.bmp           64 x 64   picture on the final page

The sizes are those of the 96-DPI layout. NAME_150.bmp and NAME_200.bmp are the same drawings
rendered for 150 % and 200 % display scales (1.5 and 2 times as many pixels each way), so the
setup never has to enlarge a picture; it takes the nearest rendering at or above the scale in
use and reduces it. Every shape is described in the coordinates of the 96-DPI picture and
sampled at the rendering's own pixels, so edges stay sharp at every scale. The 1x renderings are
byte for byte what they were before the other scales existed.

Only the standard library is used, so anyone with Python 3 can rebuild them, and the output is
the same bytes on every run.
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icon import coverage  # the same anti-aliasing as the icon  # noqa: E402

WHITE = (255, 255, 255)
FACE = (240, 240, 240)  # the system button face the last page sits on
TEAL_TOP = (40, 128, 140)  # the icon's gradient ends, so every picture shares its palette
TEAL_BOTTOM = (70, 88, 110)


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def teal(t):
    return mix(TEAL_TOP, TEAL_BOTTOM, min(max(t, 0.0), 1.0))


def smoothstep(e0, e1, x):
    t = min(max((x - e0) / (e1 - e0), 0.0), 1.0)
    return t * t * (3 - 2 * t)




SCALES = ((1, ''), (1.5, '_150'), (2, '_200'))  # display scale and file-name suffix


class Canvas:
    def __init__(self, w, h, background, scale=1):
        """A picture of w x h units of the 96-DPI layout, with scale pixels per unit."""
        self.w, self.h = w, h  # in units, which is what the drawings speak in
        self.scale = scale
        self.pw, self.ph = round(w * scale), round(h * scale)
        self.px = [[tuple(map(float, background)) for _ in range(self.pw)] for _ in range(self.ph)]

    def paint(self, shape, colour, alpha=1.0, box=None, n=4):
        """Blends colour over the pixels the shape covers.

        shape is an inside-test on a point (supersampled for smooth edges) or None for the
        whole box; colour and alpha may be constants or functions of the pixel centre, which
        is how gradients and fades are made without a separate pass. Points, boxes and sizes
        are in units; at scale 1 a unit is a pixel and every value below is exactly the one
        the 1x rendering always used.
        """
        s = self.scale
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        x0, y0 = max(int(math.floor(x0 * s)), 0), max(int(math.floor(y0 * s)), 0)
        x1, y1 = min(int(math.ceil(x1 * s)), self.pw), min(int(math.ceil(y1 * s)), self.ph)
        inside = None if shape is None else (lambda px, py: shape(px / s, py / s))
        for y in range(y0, y1):
            row = self.px[y]
            cy = (y + 0.5) / s
            for x in range(x0, x1):
                cx = (x + 0.5) / s
                a = alpha(cx, cy) if callable(alpha) else alpha
                if a <= 0:
                    continue
                if inside is not None:
                    a *= coverage(inside, x, y, n)
                    if a <= 0:
                        continue
                c = colour(cx, cy) if callable(colour) else colour
                row[x] = mix(row[x], c, a)

    def save(self, path):
        stride = (self.pw * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.px):  # bottom-up, as a positive height declares
            for r, g, b in row:
                data += bytes((clamp8(b), clamp8(g), clamp8(r)))
            data += bytes(stride - self.pw * 3)
        # 2835 pixels per metre is 72 DPI, which the 1x files have always declared; nothing reads it
        info = struct.pack('<IiiHHIIiiII', 40, self.pw, self.ph, 1, 24, 0, len(data),
                           2835, 2835, 0, 0)
        head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
        with open(path, 'wb') as f:
            f.write(head + info + bytes(data))


def clamp8(v):
    return min(max(int(round(v)), 0), 255)


# ---- shapes ---------------------------------------------------------------------------

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rounded_rect_distance(x0, y0, x1, y1, r):
    """Signed distance to a rounded rectangle, for soft shadows that supersampling can't blur."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def dist(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return dist


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def annulus(cx, cy, r_in, r_out):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return r_in * r_in <= d <= r_out * r_out
    return inside


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def stroke(points, width):
    """A polyline with round joins and caps."""
    half = width / 2
    segs = list(zip(points, points[1:]))

    def inside(x, y):
        return any(segment_distance(x, y, a[0], a[1], b[0], b[1]) <= half for a, b in segs)
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


# ---- the mark -------------------------------------------------------------------------

def q_glyph(ox, oy, s):
    """The white Q of the icon (ring and tail) for a tile of side s at (ox, oy).

    The proportions are the icon's, so the mark reads as the same one at every size.
    """
    ring = annulus(ox + s * 0.47, oy + s * 0.46, s * 0.20, s * 0.32)

    def tail(x, y):
        u, v = (x - ox - s * 0.60) / s, (y - oy - s * 0.60) / s
        along = (u + v) / math.sqrt(2)
        across = (u - v) / math.sqrt(2)
        return 0.0 <= along <= 0.26 and abs(across) <= 0.055
    return union(ring, tail)


def drop_shadow(cv, ox, oy, s, r, strength, blur, dy):
    dist = rounded_rect_distance(ox, oy + dy, ox + s, oy + s + dy, r)
    cv.paint(None, (20, 40, 50), lambda x, y: strength * (1 - smoothstep(-blur, blur, dist(x, y))),
             box=(ox - 2 * blur, oy - 2 * blur, ox + s + 2 * blur, oy + s + dy + 2 * blur))


def q_tile(cv, ox, oy, s, shadow=True):
    """The icon itself: teal rounded square darkening downwards, with the white Q."""
    r = s * 0.18
    box = (ox - 1, oy - 1, ox + s + 1, oy + s + 1)
    if shadow:
        drop_shadow(cv, ox, oy, s, r, 0.22, s * 0.06, s * 0.04)
    cv.paint(rounded_rect(ox, oy, ox + s, oy + s, r), lambda x, y: teal((y - oy) / s), box=box)
    # a faint sheen on the upper half keeps the tile from looking flat at larger sizes
    cv.paint(rounded_rect(ox, oy, ox + s, oy + s, r), WHITE,
             lambda x, y: 0.08 * (1 - smoothstep(0.0, 0.55, (y - oy) / s)), box=box)
    cv.paint(q_glyph(ox, oy, s), WHITE, box=box)


# ---- the pictures ---------------------------------------------------------------------

def image_top(scale):
    w, h = 500, 70
    cv = Canvas(w, h, WHITE, scale)

    # broad soft sweeps rising to the right, fading out well before the labels' area; each
    # is brightest along its leading edge and dissolves behind it, like light on glass
    def slant(x, y):
        return x + y * 0.55  # position across the sweeps, constant along each edge

    def sweep(start, width, peak, fade_from, fade_to):
        def alpha(x, y):
            u = (slant(x, y) - start) / width
            if not 0.0 <= u <= 1.0:
                return 0.0
            across = smoothstep(0.0, 0.12, u) * (0.25 + 0.75 * u) * (1 - smoothstep(0.97, 1.0, u))
            return peak * across * (1 - smoothstep(fade_from, fade_to, x))
        return alpha

    cv.paint(None, TEAL_TOP, sweep(20, 190, 0.16, 60, 340), box=(0, 0, 360, h))
    cv.paint(None, TEAL_TOP, sweep(160, 70, 0.15, 100, 345), box=(0, 0, 360, h))

    def line(offset, width):
        return lambda x, y: offset <= slant(x, y) <= offset + width

    cv.paint(line(238, 1.6), TEAL_TOP, lambda x, y: 0.30 * (1 - smoothstep(120, 350, x)),
             box=(0, 0, 360, h))
    cv.paint(line(250, 1.0), TEAL_TOP, lambda x, y: 0.18 * (1 - smoothstep(120, 350, x)),
             box=(0, 0, 360, h))

    # a thin rule along the bottom edge that fades the same way grounds the sweeps
    cv.paint(None, TEAL_TOP, lambda x, y: 0.35 * (1 - smoothstep(20, 340, x)), box=(0, h - 1, 360, h))

    q_tile(cv, 14, 11, 48)
    return cv


def setup_image(scale):
    w, h = 164, 316
    cv = Canvas(w, h, TEAL_TOP, scale)
    cv.paint(None, lambda x, y: teal(y / h))

    # a soft light behind where the mark sits draws the eye to it before the motif
    cv.paint(None, WHITE, lambda x, y: 0.10 * (1 - smoothstep(0, 120, math.hypot(x - w / 2, (y - 72) * 1.2))),
             box=(0, 0, w, 180))

    # ledger rules: faint, evenly spaced, like the lines of an account book
    for i in range(9):
        y = 150 + i * 18
        cv.paint(lambda x, yy, y=y: y <= yy <= y + 1, WHITE, 0.06, box=(0, y - 1, w, y + 2))

    # a large translucent Q ring behind everything, cropped by the right edge
    cx, cy = 112, 196
    cv.paint(annulus(cx, cy, 66, 92), WHITE, 0.06, box=(cx - 94, cy - 94, w, cy + 94))

    # rising bars and a trend line: the finance motif, kept pale so it stays a backdrop
    bars = [(18, 268), (44, 250), (70, 258), (96, 232), (122, 214)]
    for bx, top in bars:
        cv.paint(rounded_rect(bx, top, bx + 18, h + 4, 2.5), WHITE, 0.14,
                 box=(bx - 1, top - 1, bx + 19, h))
    pts = [(bx + 9, top - 16) for bx, top in bars]
    cv.paint(stroke(pts, 2.2), WHITE, 0.45, box=(0, 180, w, 262))
    for px, py in pts:
        cv.paint(disc(px, py, 3.4), WHITE, 0.85, box=(px - 5, py - 5, px + 5, py + 5))
        cv.paint(disc(px, py, 1.6), teal(py / h), box=(px - 3, py - 3, px + 3, py + 3))

    # the mark near the top, in white straight on the teal (a tile on teal would vanish)
    s = 84
    ox, oy = (w - s) / 2, 30
    cv.paint(q_glyph(ox + 1, oy + 2, s), (20, 40, 50), 0.18, box=(ox, oy, ox + s + 3, oy + s + 4))
    cv.paint(q_glyph(ox, oy, s), WHITE, box=(ox - 1, oy - 1, ox + s + 1, oy + s + 1))
    return cv


def setup_icon_image(scale):
    cv = Canvas(32, 32, WHITE, scale)

    # globe, slightly up and left so the speech bubble can overlap its lower right
    gx, gy, gr = 13.5, 13.5, 11.5
    globe = disc(gx, gy, gr)
    cv.paint(globe, lambda x, y: teal(0.15 + (y - gy + gr) / (2 * gr) * 0.85))

    def inside_globe(fn):
        return lambda x, y: fn(x, y) and (x - gx) ** 2 + (y - gy) ** 2 <= (gr - 1.2) ** 2

    line = 0.9
    meridian = inside_globe(lambda x, y: abs(math.hypot((x - gx) / 0.45, y - gy) - gr) * 0.45 <= line / 2 * 1.1)
    axis = inside_globe(lambda x, y: abs(x - gx) <= line / 2)
    equator = inside_globe(lambda x, y: abs(y - gy) <= line / 2)
    lat = inside_globe(lambda x, y: abs(abs(y - gy) - gr * 0.52) <= line / 2)
    cv.paint(union(meridian, axis, equator, lat), WHITE, 0.75, n=6)

    # speech bubble, cut out of the globe by a white gap so the two read as separate things
    bx0, by0, bx1, by1 = 15.5, 16.5, 30.5, 27.0

    def bubble(grow):
        body = rounded_rect(bx0 - grow, by0 - grow, bx1 + grow, by1 + grow, 3.4 + grow)

        def tail(x, y):
            # a small wedge hanging from the bottom edge, leaning left towards the globe
            v = y - (by1 - 1)
            return -grow <= v <= 4.2 + grow * 1.5 and 19.0 - grow + v * 0.35 <= x <= 24.5 + grow - v * 1.0
        return union(body, tail)

    cv.paint(bubble(1.4), WHITE, n=6)
    cv.paint(bubble(0.0), lambda x, y: mix((62, 150, 160), (36, 112, 126), (y - by0) / (by1 - by0)), n=6)
    # three dots: the usual shorthand for "someone is speaking"
    for dx in (19.0, 23.0, 27.0):
        cv.paint(disc(dx, 21.8, 1.25), WHITE, n=6)
    return cv


def image1(scale):
    cv = Canvas(64, 64, FACE, scale)
    q_tile(cv, 6, 5, 46)

    # green check badge at the lower right, ringed in the background colour to lift it off the tile
    bx, by, br = 47, 47, 13
    cv.paint(disc(bx + 0.6, by + 1.2, br + 1.6), (20, 40, 30), 0.15, n=6)
    cv.paint(disc(bx, by, br + 1.8), FACE, n=6)
    cv.paint(disc(bx, by, br), lambda x, y: mix((92, 178, 96), (52, 138, 72), (y - by + br) / (2 * br)), n=6)
    cv.paint(stroke([(bx - 6.0, by + 0.2), (bx - 1.8, by + 4.4), (bx + 6.2, by - 4.6)], 3.0), WHITE, n=6)
    return cv


def main(out):
    os.makedirs(out, exist_ok=True)
    for name, make in (('ImageTop', image_top), ('SetupImage', setup_image),
                       ('SetupIconImage', setup_icon_image), ('Image1', image1)):
        for scale, suffix in SCALES:
            make(scale).save(os.path.join(out, name + suffix + '.bmp'))


if __name__ == '__main__':
    main(sys.argv[1])
