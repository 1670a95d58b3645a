#!/usr/bin/env python3
"""Draw Quenlark's icons and write them as PNG files into data/.

Pure Python standard library: shapes are rasterised on a 4x supersampled
grid and averaged down, then written as 8-bit RGBA PNG with zlib/struct.

Usage:  python3 tools/make_icons.py [OUTPUT_DIR]   (default: data/ beside tools/)
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # supersampling factor per axis


# --------------------------------------------------------------------------
# A tiny rasteriser.  Every drawing call works in "design units" (the icon is
# DESIGN x DESIGN units); the canvas scales them to pixels.
# --------------------------------------------------------------------------
class Canvas:
    """Pass None as colour to erase."""

    def __init__(self, size, design=16.0):
        self.size = size
        self.n = size * SS
        self.k = self.n / design            # samples per design unit
        self.px = [None] * (self.n * self.n)  # None = transparent, else (r,g,b,a)

    # -- helpers -----------------------------------------------------------
    def _put(self, i, col):
        if col is None:          # eraser
            self.px[i] = None
            return
        a = col[3] if len(col) > 3 else 255
        if a >= 255 or self.px[i] is None:
            self.px[i] = (col[0], col[1], col[2], a)
            return
        r0, g0, b0, a0 = self.px[i]
        fa = a / 255.0
        ao = a + a0 * (1 - fa)
        if ao <= 0:
            return
        mix = lambda c, c0: (c * a + c0 * a0 * (1 - fa)) / ao
        self.px[i] = (mix(col[0], r0), mix(col[1], g0), mix(col[2], b0), ao)

    def _fill(self, bbox, inside, col):
        x0, y0, x1, y1 = bbox
        k, n = self.k, self.n
        sx0 = max(0, int(math.floor(x0 * k)))
        sy0 = max(0, int(math.floor(y0 * k)))
        sx1 = min(n, int(math.ceil(x1 * k)) + 1)
        sy1 = min(n, int(math.ceil(y1 * k)) + 1)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / k
            row = sy * n
            for sx in range(sx0, sx1):
                if inside((sx + 0.5) / k, y):
                    self._put(row + sx, col)

    # -- primitives --------------------------------------------------------
    def ellipse(self, cx, cy, rx, ry, col, angle=0.0):
        ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))
        r = max(rx, ry)

        def inside(x, y):
            dx, dy = x - cx, y - cy
            u = dx * ca + dy * sa
            v = -dx * sa + dy * ca
            return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0

        self._fill((cx - r, cy - r, cx + r, cy + r), inside, col)

    def circle(self, cx, cy, r, col):
        self.ellipse(cx, cy, r, r, col)

    def ring(self, cx, cy, r_out, r_in, col):
        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            return r_in * r_in <= d <= r_out * r_out

        self._fill((cx - r_out, cy - r_out, cx + r_out, cy + r_out), inside, col)

    def polygon(self, pts, col):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y):
                    if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                        c = not c
                j = i
            return c

        self._fill((min(xs), min(ys), max(xs), max(ys)), inside, col)

    def line(self, x1, y1, x2, y2, w, col):
        """A thick line with round caps (capsule) of width w."""
        r = w / 2.0
        dx, dy = x2 - x1, y2 - y1
        ll = dx * dx + dy * dy

        def inside(x, y):
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / ll))
            px, py = x1 + t * dx - x, y1 + t * dy - y
            return px * px + py * py <= r * r

        self._fill((min(x1, x2) - r, min(y1, y2) - r, max(x1, x2) + r, max(y1, y2) + r),
                   inside, col)

    def polyline(self, pts, w, col, closed=False):
        seq = list(pts) + ([pts[0]] if closed else [])
        for a, b in zip(seq, seq[1:]):
            self.line(a[0], a[1], b[0], b[1], w, col)

    def rrect(self, x0, y0, x1, y1, rad, col):
        """Rounded rectangle."""
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + rad), x1 - rad)
            cy = min(max(y, y0 + rad), y1 - rad)
            return (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad

        self._fill((x0, y0, x1, y1), inside, col)

    def outlined_polygon(self, pts, fill, outline, w):
        self.polygon(pts, fill)
        self.polyline(pts, w, outline, closed=True)

    # -- output ------------------------------------------------------------
    def pixels(self):
        """Downsample to RGBA bytes (premultiplied averaging)."""
        out = bytearray()
        n, s = self.n, self.size
        area = SS * SS
        for y in range(s):
            for x in range(s):
                r = g = b = a = 0.0
                for yy in range(y * SS, y * SS + SS):
                    row = yy * n
                    for xx in range(x * SS, x * SS + SS):
                        p = self.px[row + xx]
                        if p is not None:
                            pa = p[3]
                            r += p[0] * pa
                            g += p[1] * pa
                            b += p[2] * pa
                            a += pa
                if a > 0:
                    out += bytes((int(r / a + 0.5), int(g / a + 0.5), int(b / a + 0.5),
                                  int(a / area + 0.5)))
                else:
                    out += b"\0\0\0\0"
        return bytes(out)

    def save(self, path):
        write_png(path, self.size, self.size, self.pixels())


def write_png(path, w, h, rgba):
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + rgba[y * w * 4:(y + 1) * w * 4] for y in range(h))
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


# --------------------------------------------------------------------------
# Colours
# --------------------------------------------------------------------------
INK = (40, 36, 44)          # outlines, eyes, nose
WHITE = (255, 255, 255)
EAR = (226, 214, 200)       # slightly warm grey for the floppy ears
PINK = (240, 120, 140)
CHEEK = (255, 170, 180, 150)


# --------------------------------------------------------------------------
# Icons
# --------------------------------------------------------------------------
def dog(size):
    """A white dog face with floppy ears, drawn on a 32-unit grid."""
    c = Canvas(size, 32.0)
    # outline width in design units: keep about one pixel at 16 px and grow
    # slowly for the larger sizes.
    ow = {16: 2.2, 32: 2.0, 64: 1.6, 128: 1.3}.get(size, 1.5)

    # floppy ears (drawn first, the head overlaps them)
    for sgn in (-1, 1):
        ex, ey = 16 + sgn * 11.2, 14.5
        c.ellipse(ex, ey, 4.6 + ow / 2, 8.6 + ow / 2, INK, angle=sgn * -18)
        c.ellipse(ex, ey, 4.6 - ow / 2, 8.6 - ow / 2, EAR, angle=sgn * -18)

    # head
    hx, hy, hrx, hry = 16, 17.5, 11.4, 11.0
    c.ellipse(hx, hy, hrx + ow / 2, hry + ow / 2, INK)
    c.ellipse(hx, hy, hrx - ow / 2, hry - ow / 2, WHITE)
    # the ear tops lie over the head's outline so they look attached
    for sgn in (-1, 1):
        ex, ey = 16 + sgn * 11.2, 14.5
        c.ellipse(ex, ey - 1.0, 3.8, 7.2, EAR, angle=sgn * -18)

    # eyes
    er = {16: 2.0, 32: 1.9}.get(size, 1.8)
    for sgn in (-1, 1):
        c.circle(16 + sgn * 5.0, 15.2, er, INK)
        if size >= 32:
            c.circle(16 + sgn * 5.0 - 0.6, 14.5, er * 0.38, WHITE)

    # nose
    c.ellipse(16, 21.0, 2.9, 2.1, INK)
    if size >= 32:
        c.ellipse(15.2, 20.3, 0.9, 0.55, (120, 116, 124))

    # mouth and tongue (only where there is room)
    if size >= 32:
        mw = max(ow * 0.55, 0.9)
        c.ellipse(16, 26.2, 1.7, 1.6, PINK)
        c.line(16, 22.5, 16, 24.4, mw, INK)
        c.polyline([(12.4, 23.9), (13.6, 25.0), (15.0, 25.0), (16, 24.2)], mw, INK)
        c.polyline([(16, 24.2), (17.0, 25.0), (18.4, 25.0), (19.6, 23.9)], mw, INK)
        for sgn in (-1, 1):
            c.ellipse(16 + sgn * 7.6, 20.6, 1.9, 1.2, CHEEK)
    return c


def folder():
    c = Canvas(16, 16.0)
    edge = (150, 100, 10)
    back = (232, 176, 40)
    front = (255, 214, 80)
    hi = (255, 238, 160)
    # back panel with the tab
    c.outlined_polygon([(1.5, 3.0), (6.0, 3.0), (7.5, 4.5), (14.5, 4.5),
                        (14.5, 13.5), (1.5, 13.5)], back, edge, 1.0)
    # front flap, slightly lower and sheared
    c.outlined_polygon([(1.5, 6.5), (14.5, 6.5), (14.5, 13.5), (1.5, 13.5)],
                       front, edge, 1.0)
    c.line(2.5, 7.6, 13.4, 7.6, 0.8, hi)
    return c


def tools():
    c = Canvas(16, 32.0)
    ink = (44, 44, 52)
    steel = (176, 184, 196)
    steel_hi = (226, 232, 240)
    wood = (196, 132, 62)
    red = (220, 50, 44)

    # spanner: from lower right up to upper left, open jaw at the top
    c.line(7.0, 7.0, 26.0, 26.0, 6.6, ink)          # handle outline
    c.circle(7.0, 7.0, 6.2, ink)                    # head outline
    c.line(7.0, 7.0, 26.0, 26.0, 4.0, steel)
    c.circle(7.0, 7.0, 4.8, steel)
    c.line(8.5, 8.5, 24.5, 24.5, 1.2, steel_hi)
    # jaw opening (erased: a square turned 45 degrees)
    jaw = [(1.2, 4.0), (4.0, 1.2), (8.6, 5.8), (5.8, 8.6)]
    c.polygon(jaw, (0, 0, 0, 0))
    c.polyline([(4.0, 1.2), (8.6, 5.8), (5.8, 8.6), (1.2, 4.0)], 1.6, ink)

    # hammer: wooden handle from lower left to upper right, steel head on top
    c.line(5.0, 27.0, 22.0, 10.0, 5.4, ink)
    c.line(5.0, 27.0, 22.0, 10.0, 3.0, wood)
    head = [(14.5, 8.5), (21.5, 1.5), (30.5, 10.5), (23.5, 17.5)]
    c.outlined_polygon(head, steel, ink, 1.8)
    c.line(18.0, 6.6, 22.0, 2.8, 1.2, steel_hi)
    # a red grip band on the hammer handle
    c.line(5.0, 27.0, 9.0, 23.0, 3.0, red)
    return c


def browser():
    c = Canvas(16, 32.0)
    ink = (24, 52, 110)
    sea = (60, 140, 230)
    land = (70, 180, 80)
    grid = (200, 230, 255)
    glass_ink = (40, 40, 48)
    lens = (220, 240, 255, 150)
    handle = (90, 60, 30)

    gx, gy, gr = 13.0, 13.0, 11.5
    c.circle(gx, gy, gr + 1.0, ink)
    c.circle(gx, gy, gr - 0.6, sea)
    # continents (blobs), clipped by drawing the globe rim again afterwards
    c.polygon([(6.0, 4.5), (12.0, 3.5), (13.5, 7.0), (10.0, 9.5), (11.0, 13.0),
               (7.5, 15.0), (5.0, 11.0), (3.0, 9.0)], land)
    c.polygon([(15.0, 12.0), (20.5, 10.0), (23.5, 14.0), (20.0, 16.5), (17.5, 22.0),
               (14.5, 19.0)], land)
    c.polygon([(7.5, 19.0), (11.0, 18.5), (12.5, 22.5), (9.0, 24.0)], land)
    # meridian and parallels
    c.ring(gx, gy, gr + 1.0, gr - 0.6, ink)
    for y in (7.5, 18.5):
        half = math.sqrt(max(0.0, (gr - 0.6) ** 2 - (y - gy) ** 2))
        c.line(gx - half + 0.6, y, gx + half - 0.6, y, 0.9, grid)
    c.line(gx - gr + 0.8, gy, gx + gr - 0.8, gy, 0.9, grid)
    _meridian(c, gx, gy, gr - 0.6, 5.5, grid)
    c.line(gx, gy - gr + 0.8, gx, gy + gr - 0.8, 0.9, grid)
    c.ring(gx, gy, gr + 1.0, gr - 0.6, ink)

    # magnifying glass at the lower right
    mx, my, mr = 21.5, 21.5, 6.4
    c.line(mx + 3.6, my + 3.6, 30.0, 30.0, 5.6, glass_ink)
    c.line(mx + 4.2, my + 4.2, 29.6, 29.6, 3.2, handle)
    c.circle(mx, my, mr, lens)
    c.ring(mx, my, mr + 1.3, mr - 0.9, glass_ink)
    c.ring(mx, my, mr - 1.0, mr - 1.6, (255, 255, 255, 120))
    return c


def _meridian(c, cx, cy, r, rx, col):
    """An elliptic meridian line of half-width rx inside a globe of radius r."""
    pts = [(cx + rx * math.sin(t), cy - r * math.cos(t))
           for t in [i * math.pi / 16 for i in range(33)]]
    c.polyline(pts, 0.9, col)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "data")
    os.makedirs(out, exist_ok=True)
    jobs = [("quenlark-%d.png" % s, lambda s=s: dog(s)) for s in (16, 32, 64, 128)]
    jobs += [("folder.png", folder), ("tools.png", tools), ("browser.png", browser)]
    for name, make in jobs:
        path = os.path.join(out, name)
        make().save(path)
        print("wrote", os.path.normpath(path))


if __name__ == "__main__":
    main()
