#!/usr/bin/env python3
"""Draws the installer's icons and bitmaps (Python 3 standard library only).

Writes, into the folder given as the only argument (default: this script's
folder):
  main.ico       window icon: label printer, 16/32/48 px, 32 bpp with alpha
  language.ico   language dialogs: the printer with a globe badge
  checkbox.bmp   78 x 13, 24 bpp: six 13 x 13 check-box images
  welcome.bmp    163 x 295, 24 bpp: picture at the left of the welcome page

The output is deterministic (no randomness, no time stamps), so the generated
files are committed and the build does not need Python.
"""

import math
import os
import struct
import sys


# --------------------------------------------------------------------------
# A tiny anti-aliased rasteriser: shapes are inside-tests in pixel space,
# sampled on an S x S grid per pixel; colour is straight RGBA composited
# with the "over" operator.

class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(map(float, bg)) for _ in range(w * h)]

    def blend(self, x, y, rgba):
        r, g, b, a = rgba
        if a <= 0.0:
            return
        p = self.px[y * self.w + x]
        da = p[3] / 255.0
        sa = a / 255.0
        oa = sa + da * (1.0 - sa)
        if oa <= 0.0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = (c * sa + p[i] * da * (1.0 - sa)) / oa
        p[3] = oa * 255.0

    def fill(self, inside, colour, bbox=None, samples=4, alpha=1.0):
        """inside(x, y) -> bool in pixel coordinates; colour is an RGBA
        tuple or a function (x, y) -> RGBA evaluated at the pixel centre."""
        x0, y0, x1, y1 = bbox if bbox else (0, 0, self.w, self.h)
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.w, int(math.ceil(x1)))
        y1 = min(self.h, int(math.ceil(y1)))
        step = 1.0 / samples
        offs = [(i + 0.5) * step for i in range(samples)]
        n = float(samples * samples)
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for oy in offs:
                    for ox in offs:
                        if inside(x + ox, y + oy):
                            hits += 1
                if hits:
                    c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    self.blend(x, y, (c[0], c[1], c[2], c[3] * alpha * hits / n))


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (x0, y0, x1, y1)


def circle(cx, cy, r):
    def inside(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (cx - r, cy - r, cx + r, cy + r)


def ellipse(cx, cy, rx, ry):
    def inside(x, y):
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0
    return inside, (cx - rx, cy - ry, cx + rx, cy + ry)


def segment(ax, ay, bx, by, width):
    half = width / 2.0
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside, (min(ax, bx) - half, min(ay, by) - half,
                    max(ax, bx) + half, max(ay, by) + half)


def clip(shape, other):
    """shape restricted to the inside of other."""
    f, bb = shape
    g, _ = other

    def inside(x, y):
        return f(x, y) and g(x, y)
    return inside, bb


def vgrad(y0, c0, y1, c1):
    def colour(x, y):
        t = 0.0 if y1 == y0 else max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return colour


def paint(canvas, shape, colour, samples=4, alpha=1.0):
    inside, bbox = shape
    canvas.fill(inside, colour, bbox, samples, alpha)


def hexc(s, a=255):
    s = s.lstrip('#')
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16), a)


# --------------------------------------------------------------------------
# The label printer pictogram, designed on a 48-unit grid.

PALETTE_ICON = {
    'lid': (hexc('7C8DA3'), hexc('5E6F86')),
    'body': (hexc('4B5B71'), hexc('2F3A4A')),
    'edge': hexc('222B36'),
    'highlight': hexc('FFFFFF', 70),
    'slot': hexc('141A22'),
    'label': hexc('FFFFFF'),
    'label_edge': hexc('B8C2CE'),
    'ink': hexc('27313D'),
    'led': hexc('3CC45A'),
    'shadow': hexc('000000', 60),
}

PALETTE_LIGHT = {
    'lid': (hexc('FFFFFF'), hexc('E4EBF2')),
    'body': (hexc('E9EFF5'), hexc('C5D1DD')),
    'edge': hexc('10324F', 120),
    'highlight': hexc('FFFFFF', 140),
    'slot': hexc('173652'),
    'label': hexc('FFFFFF'),
    'label_edge': hexc('9FB3C6'),
    'ink': hexc('1D3E5C'),
    'led': hexc('56E07A'),
    'shadow': hexc('06203A', 70),
}


def draw_printer(cv, ox, oy, s, pal, detail=2, samples=4):
    """Draws the printer with its top-left design unit at (ox, oy), s pixels
    per design unit. detail 0 omits the barcode and the lamp."""
    def u(v):
        return v * s

    def R(x0, y0, x1, y1, r):
        return rrect(ox + u(x0), oy + u(y0), ox + u(x1), oy + u(y1), u(r))

    # Lid, body, slot.
    paint(cv, R(10, 9, 38, 19, 3), vgrad(oy + u(9), pal['lid'][0], oy + u(19), pal['lid'][1]), samples)
    paint(cv, R(4, 15, 44, 35, 4.5), pal['edge'], samples)
    paint(cv, R(5, 16, 43, 34, 3.5),
          vgrad(oy + u(16), pal['body'][0], oy + u(34), pal['body'][1]), samples)
    paint(cv, R(7, 17, 41, 19, 1), pal['highlight'], samples)
    paint(cv, R(11, 28.5, 37, 31.5, 1.5), pal['slot'], samples)
    if detail >= 1:
        paint(cv, circle(ox + u(37.5), oy + u(22.5), u(2.0)), pal['led'], samples)

    # The label leaving the slot, with a soft shadow.
    paint(cv, R(15.5, 31, 33.5, 46, 1.5), pal['shadow'], samples)
    paint(cv, R(14, 30, 32, 45, 1.5), pal['label_edge'], samples)
    paint(cv, R(14.8, 30, 31.2, 44.2, 1.0), pal['label'], samples)
    if detail >= 2:
        bars = [(16.5, 1.2), (18.5, 0.6), (20.0, 1.6), (22.6, 0.6), (24.0, 1.0),
                (26.0, 0.6), (27.4, 1.6), (29.6, 0.6)]
        for bx, bw in bars:
            paint(cv, R(bx, 34, bx + bw, 40.5, 0), pal['ink'], samples)
        paint(cv, R(16.5, 41.8, 26, 42.8, 0.4), pal['ink'], samples, alpha=0.6)
    elif detail == 1:
        for bx in (17.0, 20.0, 23.5, 27.0):
            paint(cv, R(bx, 34, bx + 1.8, 41, 0), pal['ink'], samples)


def draw_printer_16(cv, globe=False):
    """Pixel-fitted 16 px version: the 48-unit drawing loses too much."""
    lid = (hexc('7C8DA3'), hexc('5E6F86'))
    paint(cv, rrect(3, 2, 13, 6, 1), vgrad(2, lid[0], 6, lid[1]))
    paint(cv, rrect(1, 5, 15, 12, 1.5), hexc('222B36'))
    paint(cv, rrect(1.5, 5.5, 14.5, 11.5, 1.2), vgrad(5, hexc('52637A'), 12, hexc('323E4F')))
    paint(cv, rrect(3, 9, 13, 10, 0), hexc('10151C'))
    paint(cv, rrect(4, 9.5, 11, 16, 0.5), hexc('B8C2CE'))
    paint(cv, rrect(4.5, 9.5, 10.5, 15.5, 0.3), hexc('FFFFFF'))
    for bx in (5.5, 7.5, 9.0):
        paint(cv, rrect(bx, 11, bx + 1, 14, 0), hexc('27313D'))
    if not globe:
        paint(cv, rrect(12, 6.5, 13.5, 8, 0), hexc('3CC45A'))


def draw_globe(cv, cx, cy, r, samples=4):
    paint(cv, circle(cx, cy, r + max(1.0, r * 0.12)), hexc('FFFFFF'), samples)
    paint(cv, circle(cx, cy, r), vgrad(cy - r, hexc('4A9BE8'), cy + r, hexc('1F5FAF')), samples)
    lw = max(0.8, r * 0.11)
    body = circle(cx, cy, r - lw * 0.3)
    line = hexc('FFFFFF', 200)
    paint(cv, clip(segment(cx - r, cy, cx + r, cy, lw), body), line, samples)
    for dy in (-0.5, 0.5):
        yy = cy + dy * r
        half = math.sqrt(max(0.0, r * r - (dy * r) ** 2))
        paint(cv, clip(segment(cx - half, yy, cx + half, yy, lw * 0.8), body), line, samples)
    paint(cv, clip(segment(cx, cy - r, cx, cy + r, lw), body), line, samples)
    # The meridian ellipse as a ring.
    rx = r * 0.5

    def ring(x, y):
        a = ((x - cx) / (rx + lw / 2)) ** 2 + ((y - cy) / (r + lw / 2)) ** 2 <= 1.0
        b = ((x - cx) / max(0.1, rx - lw / 2)) ** 2 + ((y - cy) / (r - lw / 2)) ** 2 <= 1.0
        return a and not b
    paint(cv, clip((ring, (cx - r, cy - r, cx + r, cy + r)), body), line, samples)


def icon_image(size, globe):
    cv = Canvas(size, size)
    if size == 16:
        draw_printer_16(cv, globe)
        if globe:
            draw_globe(cv, 11.5, 11.5, 3.8)
        return cv
    s = size / 48.0
    draw_printer(cv, 0, 0, s, PALETTE_ICON, detail=2 if size >= 48 else 1)
    if globe:
        draw_globe(cv, 36.5 * s, 36.5 * s, 10.0 * s)
    return cv


# --------------------------------------------------------------------------
# Check box strip: index = (checked ? 3 : 0) + look (0 normal, 1 hot,
# 2 pressed), each 13 x 13 on the panel's white background.

def checkbox_strip():
    cv = Canvas(78, 13, (255, 255, 255, 255))
    looks = [
        # frame, inner top, inner bottom
        (hexc('7F9DB9'), hexc('F4F6F8'), hexc('FFFFFF')),   # normal: blue-grey
        (hexc('F29A2E'), hexc('FFF3E2'), hexc('FFFFFF')),   # hot: orange
        (hexc('6E6E6E'), hexc('C9C9C9'), hexc('E2E2E2')),   # pressed: darker grey
    ]
    for checked in (0, 1):
        for look, (frame, top, bottom) in enumerate(looks):
            ox = 13 * (checked * 3 + look)
            for y in range(13):
                for x in range(13):
                    edge = x == 0 or y == 0 or x == 12 or y == 12
                    if edge:
                        c = frame
                    else:
                        t = (y - 1) / 10.0
                        c = tuple(a + (b - a) * t for a, b in zip(top, bottom))
                    cv.px[y * 78 + ox + x] = list(map(float, c))
            if look == 1:
                # A second, softer orange ring inside the frame.
                for y in range(1, 12):
                    for x in range(1, 12):
                        if x in (1, 11) or y in (1, 11):
                            cv.blend(ox + x, y, hexc('F8C27A', 150))
            if checked:
                green = hexc('1F8A2E') if look == 2 else hexc('25A23A')
                tick = [(2.9, 6.4), (5.3, 8.9), (10.1, 3.4)]
                for (ax, ay), (bx, by) in zip(tick, tick[1:]):
                    inside, bb = segment(ox + ax, ay, ox + bx, by, 1.9)
                    cv.fill(inside, green, bb, samples=5)
    return cv


# --------------------------------------------------------------------------
# Welcome picture, 163 x 295.

def welcome_picture():
    w, h = 163, 295
    cv = Canvas(w, h, (255, 255, 255, 255))
    top, mid, bottom = hexc('143A5E'), hexc('1F5F8B'), hexc('3E94B8')

    def bg(x, y):
        t = y / float(h)
        if t < 0.55:
            k = t / 0.55
            return tuple(a + (b - a) * k for a, b in zip(top, mid))
        k = (t - 0.55) / 0.45
        return tuple(a + (b - a) * k for a, b in zip(mid, bottom))
    paint(cv, ((lambda x, y: True), (0, 0, w, h)), bg, samples=1)

    # Soft light discs for depth.
    for cx, cy, r, a in ((140, 30, 70, 16), (10, 250, 90, 14), (120, 210, 40, 12),
                         (30, 60, 28, 10)):
        paint(cv, circle(cx, cy, r), hexc('FFFFFF', a), samples=2)
    # Two thin diagonal light bands.
    paint(cv, segment(-20, 200, 190, 120, 10), hexc('FFFFFF', 10), samples=2)
    paint(cv, segment(-20, 222, 190, 142, 3), hexc('FFFFFF', 16), samples=2)

    # Shadow under the printer and the label stack.
    paint(cv, ellipse(81.5, 200, 56, 6), hexc('06203A', 70), samples=3)
    # The printer, about 120 px wide.
    s = 2.6
    draw_printer(cv, 81.5 - 24 * s, 72, s, PALETTE_LIGHT, detail=2, samples=3)

    # A row of small labels near the bottom.
    for i, lx in enumerate((28, 66, 104)):
        paint(cv, rrect(lx, 236, lx + 31, 256, 3), hexc('FFFFFF', 60 - 12 * i), samples=3)
        for k, bw in enumerate((1.4, 0.7, 1.8, 0.7, 1.2, 0.7, 1.6)):
            bx = lx + 6 + sum((1.4, 0.7, 1.8, 0.7, 1.2, 0.7, 1.6)[:k]) + 1.1 * k
            paint(cv, rrect(bx, 241, bx + bw, 251, 0), hexc('FFFFFF', 90 - 20 * i), samples=3)

    # A light hairline at the foot.
    paint(cv, rrect(16, 275, 147, 276, 0), hexc('FFFFFF', 70), samples=2)
    return cv


# --------------------------------------------------------------------------
# File writers.

def bmp24(cv):
    row = (cv.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(cv.h - 1, -1, -1):
        line = bytearray()
        for x in range(cv.w):
            r, g, b, a = cv.px[y * cv.w + x]
            # Flatten onto white in case a pixel is not opaque.
            k = a / 255.0
            line += bytes(int(round(c * k + 255 * (1 - k))) for c in (b, g, r))
        line += b'\0' * (row - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def ico(images):
    """images: Canvases, square, 32 bpp with alpha and an AND mask."""
    entries = bytearray()
    blobs = []
    offset = 6 + 16 * len(images)
    for cv in images:
        n = cv.w
        xor = bytearray()
        for y in range(n - 1, -1, -1):
            for x in range(n):
                r, g, b, a = cv.px[y * n + x]
                xor += bytes(int(round(v)) for v in (b, g, r, a))
        mask_row = ((n + 31) // 32) * 4
        mask = bytearray()
        for y in range(n - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(n):
                if cv.px[y * n + x][3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return struct.pack('<HHH', 0, 1, len(images)) + bytes(entries) + b''.join(blobs)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    files = {
        'main.ico': ico([icon_image(n, False) for n in (16, 32, 48)]),
        'language.ico': ico([icon_image(n, True) for n in (16, 32, 48)]),
        'checkbox.bmp': bmp24(checkbox_strip()),
        'welcome.bmp': bmp24(welcome_picture()),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        print('%s: %d bytes' % (name, len(data)))


if __name__ == '__main__':
    main()
