#!/usr/bin/env python3
"""Draw Quenlark's icons and write them as PNG files into data/.

Pure Python standard library.  The larger dog icons and the folder are
built from shapes rasterised on a 4x supersampled grid and averaged down;
the other 16 px icons are hand-placed pixel maps.  Output is 8-bit RGBA PNG
written with zlib/struct.

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
# Pixel maps.  At 16 px hand-placed pixels read far better than scaled-down
# shapes, so the smallest icons are drawn as character maps: one character
# per pixel, "." is transparent, every other character is looked up in the
# palette given with the map.
# --------------------------------------------------------------------------
def pixmap(rows, palette):
    rows = [r for r in rows.strip().split("\n")]
    h, w = len(rows), len(rows[0])
    out = bytearray()
    for r in rows:
        assert len(r) == w, r
        for ch in r:
            col = None if ch == "." else palette[ch]
            if col is None:
                out += b"\0\0\0\0"
            else:
                out += bytes((col[0], col[1], col[2], col[3] if len(col) > 3 else 255))
    return w, h, bytes(out)


class PixelIcon:
    def __init__(self, rows, palette):
        self.w, self.h, self.data = pixmap(rows, palette)

    def save(self, path):
        write_png(path, self.w, self.h, self.data)


# --------------------------------------------------------------------------
# Colours
# --------------------------------------------------------------------------
INK = (40, 36, 44)          # outlines, eyes, nose
WHITE = (255, 255, 255)
EAR = (214, 178, 136)       # light tan for the floppy ears
PINK = (240, 110, 130)
CHEEK = (255, 160, 172, 140)


# --------------------------------------------------------------------------
# Icons
# --------------------------------------------------------------------------
DOG16 = """
................
..KKKK....KKKK..
.KEEEEKKKKEEEEK.
KEEEEWWWWWWEEEEK
KEEEKWWWWWWKEEEK
KEEKWWWWWWWWKEEK
KEEKWkkWWkkWKEEK
KEEKWkkWWkkWKEEK
.KKKWWWWWWWWKKK.
...KWWkkkkWWK...
...KWWWkkWWWK...
...KWWWKKWWWK...
...KWKKPPKKWK...
....KWWPPWWK....
.....KKKKKK.....
................
"""


def dog(size):
    """The program icon: a white dog face with floppy ears."""
    if size == 16:
        return PixelIcon(DOG16, {"K": INK, "E": EAR, "W": WHITE, "k": (20, 20, 24), "P": PINK})
    c = Canvas(size, 32.0)
    # outline width in design units (about 1.5 px at 32 px, thinner relative
    # width for the large sizes)
    ow = {32: 1.7, 64: 1.5}.get(size, 1.25)

    # floppy ears (drawn first, the head overlaps them)
    ears = [(16 + sgn * 10.0, 14.0, sgn * -20) for sgn in (-1, 1)]
    for ex, ey, ang in ears:
        c.ellipse(ex, ey, 4.4 + ow / 2, 8.4 + ow / 2, INK, angle=ang)
        c.ellipse(ex, ey, 4.4 - ow / 2, 8.4 - ow / 2, EAR, angle=ang)

    # head
    hx, hy, hrx, hry = 16, 17.6, 10.6, 10.4
    c.ellipse(hx, hy, hrx + ow / 2, hry + ow / 2, INK)
    c.ellipse(hx, hy, hrx - ow / 2, hry - ow / 2, WHITE)
    # the ear tops lie over the head's outline so they look attached
    for ex, ey, ang in ears:
        c.ellipse(ex, ey - 1.6, 3.4, 6.2, EAR, angle=ang)

    # eyes (with a small shine where there is room)
    small = size < 64
    for sgn in (-1, 1):
        ex = 16 + sgn * 4.5
        c.circle(ex, 15.5, 2.1 if small else 1.8, INK)
        if not small:
            c.circle(ex - 0.55, 14.9, 0.65, WHITE)

    # nose
    c.ellipse(16, 20.8, 2.8 if small else 2.7, 2.0 if small else 1.9, INK)
    if not small:
        c.ellipse(15.2, 20.2, 0.9, 0.5, (120, 116, 124))

    # mouth and tongue
    mw = max(ow * 0.6, 0.9)
    c.ellipse(16, 25.6, 1.6, 1.6, PINK)
    c.line(16, 22.2, 16, 23.9, mw, INK)
    c.polyline([(12.6, 23.5), (13.8, 24.5), (15.0, 24.5), (16, 23.8)], mw, INK)
    c.polyline([(16, 23.8), (17.0, 24.5), (18.2, 24.5), (19.4, 23.5)], mw, INK)
    for sgn in (-1, 1):
        c.ellipse(16 + sgn * 7.2, 20.4, 1.8, 1.1, CHEEK)
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
    # front flap
    c.outlined_polygon([(1.5, 6.5), (14.5, 6.5), (14.5, 13.5), (1.5, 13.5)],
                       front, edge, 1.0)
    c.line(2.5, 7.6, 13.4, 7.6, 0.8, hi)
    return c


# spanner (open jaw, top left) crossed with a hammer (head top right)
TOOLS = """
...KKKK...KK....
..KHHSSK.KHSK...
.K.KHSSKKHSSSK..
KHK.KSSSKKHSSSK.
KHSKKSSsKKKSSSsK
KSSSSSSsKWWKSsK.
KSSSSSsKWWWKKK..
.KKsssKWWwK.....
...KKKWWwKK.....
....KWWwKHSK....
...KWWwKKHSSK...
..KWWwK..KHSsK..
.KRRwK....KHSsK.
KRRRK......KSsK.
KRRK........KK..
.KK.............
"""


def tools():
    return PixelIcon(TOOLS, {
        "K": (40, 40, 48),       # outline
        "S": (188, 196, 208),    # steel
        "H": (242, 246, 252),    # steel highlight
        "s": (140, 148, 162),    # steel shade
        "W": (204, 136, 60),     # wooden handle
        "w": (160, 100, 40),     # handle shade
        "R": (214, 48, 40),      # red grip
    })


# a globe with a magnifying glass in front of it
BROWSER = """
....BBBBB.......
..BBSSGGSBB.....
.BHSGGGSSSSB....
.BHGGGGSSGGB....
BSGGGGSSSGGGB...
BSSGGSSSSGGsB...
BSSSGSSSKKKKB...
BSSSGGSKLLLLK...
BSSSGGKLlLLLLK..
.BSSSGKLlLLLLK..
.BSSSGKLLLLLLK..
..BBsSKLLLLLLKK.
....BBBKLLLLKKWK
........KKKKKWWK
.............KWW
..............KK
"""


def browser():
    return PixelIcon(BROWSER, {
        "B": (20, 50, 120),      # globe outline
        "S": (56, 132, 228),     # sea
        "s": (36, 96, 190),      # sea in shadow
        "H": (180, 220, 255),    # shine
        "G": (72, 182, 80),      # land
        "K": (30, 30, 40),       # lens rim
        "L": (214, 236, 255, 220),   # glass
        "l": (255, 255, 255),    # glint
        "W": (150, 96, 40),      # handle
    })


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
