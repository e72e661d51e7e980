"""Application emblem (quill over an open notebook) and the splash picture."""

import math
import random

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

from canvas import (FONT_DIR, SERIF_BOLD, Canvas, bezier, darken, feather_outline,
                    inter, lighten, rgb, union)

INK = rgb("#5D4037")


def leaf_points(cx, cy, length, width, angle_deg, n=16):
    """Pointed leaf (two arcs) centred at (cx, cy)."""
    a = math.radians(angle_deg)
    ca, sa = math.cos(a), math.sin(a)
    pts = []
    for side in (1, -1):
        rng = range(n + 1) if side == 1 else range(n, -1, -1)
        for i in rng:
            t = i / n
            x = (t - 0.5) * length
            y = side * width / 2 * math.sin(math.pi * t) ** 0.85
            pts.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    return pts


# ---------------------------------------------------------------------------
# building blocks, coordinates in a 64-unit box placed at (ox, oy) scaled by s
# ---------------------------------------------------------------------------
class Placed:
    """Maps the 64-unit emblem design into any canvas position/scale."""

    def __init__(self, c, ox=0.0, oy=0.0, s=1.0):
        self.c, self.ox, self.oy, self.s = c, ox, oy, s

    def P(self, x, y):
        return (self.ox + x * self.s, self.oy + y * self.s)

    def pts(self, seq):
        return [self.P(x, y) for x, y in seq]


def draw_book(pl, ow, detail=True, cover=None, cover2=None):
    c = pl.c
    cover = cover or rgb("#A1603A")
    cover2 = cover2 or rgb("#6D3B22")
    top_l = bezier((32, 41.5), (20, 35.5), (7.5, 37.0), n=24)
    bot_l = bezier((7.5, 52.5), (20, 51.0), (32, 56.5), n=24)
    left = top_l + bot_l
    right = [(64 - x, y) for (x, y) in left]
    cov = c.poly(pl.pts([(32, 44.5), (18, 40.5), (5.0, 41.0), (5.0, 55.0), (19, 54.0), (32, 59.0),
                         (45, 54.0), (59.0, 55.0), (59.0, 41.0), (46, 40.5)]))
    c.paint(cov, cover, cover2, outline=darken(cover2, 0.45), ow=ow)
    # page block thickness
    for dy, col in ((1.6, rgb("#EAD9B5")), (0.0, None)):
        lm = c.poly(pl.pts([(x, y + dy) for x, y in left]))
        rm = c.poly(pl.pts([(x, y + dy) for x, y in right]))
        if col is not None:
            c.paint(union(lm, rm), col, outline=rgb("#8D6E63"), ow=ow * 0.7)
        else:
            c.paint(lm, rgb("#FFFDF6"), rgb("#F6E9CC"), outline=rgb("#8D6E63"), ow=ow * 0.7)
            c.paint(rm, rgb("#FFFDF6"), rgb("#F1E2C0"), outline=rgb("#8D6E63"), ow=ow * 0.7)
    c.paint(c.line(pl.pts([(32, 41.8), (32, 56.3)]), 0.9 * pl.s), rgb("#B08E6B"), outline=False)
    if detail:
        for k in range(3):
            dy = 4.2 + k * 3.4
            for side in (1, -1):
                pts = bezier((32 - side * 3.5, 42.5 + dy - 1.4), (20, 36.8 + dy), (10.5, 38.2 + dy), n=16)
                if side == -1:
                    pts = [(64 - x, y) for x, y in pts]
                if side == 1 and k >= 1:
                    continue  # leave room for the writing quill
                c.paint(c.line(pl.pts(pts), 0.9 * pl.s), rgb("#C8B08C"), outline=False)


def draw_quill(pl, ow, detail=True):
    c = pl.c
    p0, p1, p2 = (28.5, 41.0), (45.0, 31.0), (53.5, 8.5)
    notches = [(0.30, 1, 0.7), (0.55, 1, 0.65), (0.42, -1, 0.7), (0.72, -1, 0.6)] if detail else \
        [(0.45, 1, 0.5), (0.6, -1, 0.5)]
    outline, spine = feather_outline(pl.P(*p0), pl.P(*p1), pl.P(*p2), 8.2 * pl.s, n=90,
                                     notches=notches, asym=0.12)
    vane = c.poly(outline)
    # bare quill shaft down to the nib
    shaft = c.line(pl.pts([(22.2, 50.8), (25.5, 45.8), (29.2, 40.2)]), 2.0 * pl.s)
    nib = c.poly(pl.pts([(19.6, 54.6), (21.0, 49.3), (23.6, 51.2)]))
    c.shadow(union(vane, shaft), dx=0.8 * pl.s, dy=1.2 * pl.s, blur=1.2 * pl.s, alpha=60)
    c.paint(union(shaft, nib), rgb("#FFF3D6"), rgb("#D7B98E"), outline=rgb("#5D4037"), ow=ow)
    c.paint(nib, rgb("#5D4037"), rgb("#3E2723"), outline=rgb("#3E2723"), ow=ow * 0.6)
    c.paint(vane, rgb("#C5E1A5"), rgb("#4E8F2A"), outline=rgb("#2E5A18"), ow=ow, direction="d")
    if detail:
        # soft barbs from the rachis outwards
        sp = list(spine)
        for i in range(14, 84, 7):
            x, y = sp[i]
            x2, y2 = sp[i + 3]
            dx, dy = x2 - x, y2 - y
            L = math.hypot(dx, dy)
            nx, ny = -dy / L, dx / L
            for side in (1, -1):
                w = 5.5 * pl.s * math.sin(math.pi * i / 90)
                tip = (x + nx * side * w + dx * 1.2, y + ny * side * w + dy * 1.2)
                c.paint(inter(c.line([(x, y), tip], 0.7 * pl.s), vane), rgb("#E8F5D0"),
                        outline=False, opacity=0.55)
    # rachis (central quill line)
    sp = list(spine)
    c.paint(c.line(sp[2:84:4] + [sp[84]], 1.15 * pl.s), rgb("#FFF8E1"), rgb("#E8D9B0"), outline=False)
    # ink drop on the page
    c.paint(c.circle(*pl.P(18.4, 55.0), 0.9 * pl.s), rgb("#5D4037"), outline=False, opacity=0.8)


def render_app_icon(size):
    c = Canvas(size, grid=64)
    px = 64.0 / size  # one output pixel in design units
    ow = max(1.0, 1.1 * px) if size >= 48 else 1.05 * px
    detail = size >= 48
    tile = c.rrect(2.5, 2.5, 61.5, 61.5, 14)
    c.shadow(tile, dx=0.0, dy=1.0, blur=1.2, alpha=70)
    c.paint(tile, rgb("#FFD180"), rgb("#F57C00"), outline=rgb("#A64A00"), ow=ow, direction="d")
    if detail:
        # soft light in the upper left
        glow = c.circle(22, 18, 22).filter(ImageFilter.GaussianBlur(8 * c.k))
        c.paint(inter(glow, tile), rgb("#FFF8E1"), outline=False, opacity=0.45)
    pl = Placed(c, 0, -1.0 if detail else 0, 1.0)
    draw_book(pl, ow, detail=detail)
    draw_quill(pl, ow, detail=detail)
    return c.result()


# ---------------------------------------------------------------------------
# splash 464x286
# ---------------------------------------------------------------------------
def _tree(c, rnd, cx, base_y, scale):
    s = scale
    trunk = c.poly([(cx - 7 * s, base_y), (cx - 3.5 * s, base_y - 30 * s), (cx - 12 * s, base_y - 58 * s),
                    (cx - 8 * s, base_y - 60 * s), (cx, base_y - 40 * s), (cx + 9 * s, base_y - 64 * s),
                    (cx + 13 * s, base_y - 61 * s), (cx + 4 * s, base_y - 32 * s), (cx + 7 * s, base_y)])
    c.paint(trunk, rgb("#8D6E63"), rgb("#5D4037"), outline=rgb("#3E2723"), ow=1.2)
    blobs = [(0, -88, 42), (-30, -74, 30), (30, -76, 31), (-14, -110, 28), (18, -108, 27), (-38, -96, 22),
             (40, -96, 22), (0, -60, 26)]
    canopy = union(*[c.circle(cx + dx * s, base_y + dy * s, r * s) for dx, dy, r in blobs])
    c.shadow(canopy, dx=2, dy=3, blur=3, alpha=50)
    c.paint(canopy, rgb("#AED581"), rgb("#558B2F"), outline=rgb("#33691E"), ow=1.3)
    bb = canopy.getbbox()
    greens = [rgb("#C5E1A5"), rgb("#9CCC65"), rgb("#7CB342"), rgb("#689F38"), rgb("#DCEDC8")]
    for _ in range(150):
        x = rnd.uniform(bb[0], bb[2]) / c.k
        y = rnd.uniform(bb[1], bb[3]) / c.k
        if canopy.getpixel((int(x * c.k), int(y * c.k))) < 250:
            continue
        leaf = c.poly(leaf_points(x, y, rnd.uniform(7, 11) * s, rnd.uniform(3.5, 5) * s, rnd.uniform(0, 180)))
        c.paint(inter(leaf, canopy), rnd.choice(greens), outline=False, opacity=0.75)
    for _ in range(9):  # a few warm blossoms/fruit
        x = rnd.uniform(bb[0], bb[2]) / c.k
        y = rnd.uniform(bb[1], bb[3]) / c.k
        if canopy.getpixel((int(x * c.k), int(y * c.k))) < 250:
            continue
        c.paint(c.circle(x, y, 2.6 * s), rgb("#FFB74D"), rgb("#F57C00"), outline=rgb("#A64A00"), ow=0.8)


def render_splash(version="3.2"):
    W, H = 464, 286
    c = Canvas((W, H), grid=W, ss=3)
    rnd = random.Random(1701)
    # background
    bg = c.rect(0, 0, W, H)
    c.paint(bg, rgb("#FFF8E1"), rgb("#FFE3B8"), outline=False)
    for _ in range(16):  # soft warm bokeh
        x, y, r = rnd.uniform(0, W), rnd.uniform(0, H * 0.7), rnd.uniform(10, 38)
        m = c.circle(x, y, r).filter(ImageFilter.GaussianBlur(6 * c.k))
        c.paint(m, rnd.choice([rgb("#FFFFFF"), rgb("#FFE0B2"), rgb("#FFECB3")]), outline=False,
                opacity=rnd.uniform(0.25, 0.5))
    # distant hills
    for i, (yb, amp, col, col2) in enumerate(((222, 14, rgb("#DCEDC8"), rgb("#C5E1A5")),
                                              (242, 12, rgb("#C5E1A5"), rgb("#9CCC65")),
                                              (262, 8, rgb("#AED581"), rgb("#7CB342")))):
        ph = rnd.uniform(0, 6.28)
        pts = [(x, yb - amp * math.sin(x / (70 + 25 * i) + ph) - amp * 0.4 * math.sin(x / 23 + ph * 2))
               for x in range(-2, W + 4, 4)]
        c.paint(c.poly(pts + [(W + 4, H + 2), (-2, H + 2)]), col, col2, outline=False)
    _tree(c, rnd, 80, 236, 1.0)
    # open notebook with the quill in front of the tree
    pl = Placed(c, 84, 168, 1.75)
    draw_book(pl, 1.2, detail=True)
    draw_quill(pl, 1.2, detail=True)
    # title
    tx = 308
    title_font = SERIF_BOLD
    shadow = c.text("Quillarbor", tx + 1.5, 92 + 2, 50, title_font).filter(ImageFilter.GaussianBlur(2 * c.k))
    c.paint(shadow, rgb("#A1887F"), outline=False, opacity=0.45)
    c.paint(c.text("Quillarbor", tx, 92, 50, title_font), rgb("#6D4C41"), rgb("#4E342E"), outline=False)
    # decorative rule with a small leaf
    c.paint(c.line([(206, 128), (290, 128)], 1.6), rgb("#E6A15A"), outline=False)
    c.paint(c.line([(326, 128), (410, 128)], 1.6), rgb("#E6A15A"), outline=False)
    c.paint(c.poly(leaf_points(308, 128, 22, 9, -20)), rgb("#AED581"), rgb("#558B2F"),
            outline=rgb("#33691E"), ow=1.0)
    sub_text = " ".join("органайзер")
    c.paint(c.text(sub_text, tx, 156, 24, FONT_DIR + "DejaVuSans.ttf"), rgb("#E65100"), rgb("#BF4A00"),
            outline=False)
    c.paint(c.text("версия " + version, tx, 192, 15, FONT_DIR + "DejaVuSans.ttf"), rgb("#8D6E63"),
            outline=False)
    # thin frame
    frame = c.rect(0, 0, W, H)
    inner = c.rect(4, 4, W - 4, H - 4)
    from canvas import sub as _sub
    c.paint(_sub(frame, inner), rgb("#E8C79A"), outline=False, opacity=0.6)
    img = c.result().convert("RGB")
    return img
