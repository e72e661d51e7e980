"""Small supersampled vector-ish drawing layer on top of Pillow.

Coordinates are given in "design units" (for example a 32x32 grid for node
icons).  Everything is drawn at SS times the output size and downscaled with
LANCZOS at the end, which gives anti-aliased edges.

Shapes are masks (mode "L" images).  A mask is filled with a flat colour or a
vertical gradient, optionally with an outline produced by a round dilation of
the same mask, so outlines always follow the shape exactly.
"""

import math

import numpy as np
from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4  # supersampling factor

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
SANS_BOLD = FONT_DIR + "DejaVuSans-Bold.ttf"
SANS = FONT_DIR + "DejaVuSans.ttf"
SERIF_BOLD = FONT_DIR + "DejaVuSerif-Bold.ttf"
SERIF_BOLD_ITALIC = FONT_DIR + "DejaVuSerif-BoldItalic.ttf"
SERIF_ITALIC = FONT_DIR + "DejaVuSerif-Italic.ttf"


def rgb(hexstr):
    hexstr = hexstr.lstrip("#")
    return tuple(int(hexstr[i:i + 2], 16) for i in (0, 2, 4))


def mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def darken(c, t=0.45):
    return mix(c, (40, 22, 10), t)


def lighten(c, t=0.4):
    return mix(c, (255, 255, 255), t)


# Shared warm palette used by every icon so the set looks consistent.
PAL = {
    "ink": rgb("#5D4037"),
    "cream": rgb("#FFF8E1"),
    "paper": rgb("#FFFDF6"),
    "paper2": rgb("#F3E9CF"),
    "orange": rgb("#FB8C00"),
    "amber": rgb("#FFB300"),
    "yellow": rgb("#FFD54F"),
    "yellow2": rgb("#FFCA28"),
    "red": rgb("#E53935"),
    "red2": rgb("#EF5350"),
    "green": rgb("#43A047"),
    "green2": rgb("#7CB342"),
    "leaf": rgb("#8BC34A"),
    "blue": rgb("#1E88E5"),
    "blue2": rgb("#42A5F5"),
    "sky": rgb("#81D4FA"),
    "teal": rgb("#00897B"),
    "purple": rgb("#7E57C2"),
    "brown": rgb("#8D6E63"),
    "brown2": rgb("#6D4C41"),
    "grey": rgb("#78909C"),
    "grey2": rgb("#B0BEC5"),
    "white": (255, 255, 255),
    "gold": rgb("#FFC107"),
}


class Canvas:
    def __init__(self, out_size, grid=None, ss=SS):
        if isinstance(out_size, int):
            out_size = (out_size, out_size)
        self.out = out_size
        if grid is None:
            grid = out_size[0]
        self.grid = grid
        self.ss = ss
        self.k = out_size[0] * ss / grid  # design unit -> working pixel
        self.W = out_size[0] * ss
        self.H = out_size[1] * ss
        self.img = Image.new("RGBA", (self.W, self.H), (0, 0, 0, 0))

    # ---- coordinate helpers -------------------------------------------
    def p(self, x, y):
        return (x * self.k, y * self.k)

    def pts(self, points):
        return [self.p(x, y) for x, y in points]

    def box(self, x0, y0, x1, y1):
        return [x0 * self.k, y0 * self.k, x1 * self.k, y1 * self.k]

    # ---- masks -----------------------------------------------------------
    def blank(self):
        return Image.new("L", (self.W, self.H), 0)

    def poly(self, points):
        m = self.blank()
        ImageDraw.Draw(m).polygon(self.pts(points), fill=255)
        return m

    def ellipse(self, x0, y0, x1, y1):
        m = self.blank()
        ImageDraw.Draw(m).ellipse(self.box(x0, y0, x1, y1), fill=255)
        return m

    def circle(self, cx, cy, r):
        return self.ellipse(cx - r, cy - r, cx + r, cy + r)

    def ring(self, cx, cy, r_out, r_in):
        return sub(self.circle(cx, cy, r_out), self.circle(cx, cy, r_in))

    def rect(self, x0, y0, x1, y1):
        m = self.blank()
        ImageDraw.Draw(m).rectangle(self.box(x0, y0, x1, y1), fill=255)
        return m

    def rrect(self, x0, y0, x1, y1, r):
        m = self.blank()
        ImageDraw.Draw(m).rounded_rectangle(self.box(x0, y0, x1, y1),
                                            radius=r * self.k, fill=255)
        return m

    def line(self, points, width, round_caps=True):
        """Polyline stroke with round joints and caps."""
        m = self.blank()
        d = ImageDraw.Draw(m)
        P = self.pts(points)
        w = width * self.k
        d.line(P, fill=255, width=max(1, int(round(w))), joint="curve")
        if round_caps:
            for (x, y) in P:
                d.ellipse([x - w / 2, y - w / 2, x + w / 2, y + w / 2], fill=255)
        return m

    def arc(self, cx, cy, r, a0, a1, width, steps=48):
        pts = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
               for a in np.linspace(a0, a1, steps)]
        return self.line(pts, width)

    def text(self, s, cx, cy, size, font=SANS_BOLD):
        """Text mask centred on (cx, cy) in design units."""
        m = self.blank()
        f = ImageFont.truetype(font, int(round(size * self.k)))
        d = ImageDraw.Draw(m)
        d.text(self.p(cx, cy), s, font=f, fill=255, anchor="mm")
        return m

    # ---- painting ----------------------------------------------------------
    def dilate(self, mask, r):
        """Grey-scale dilation by r design units (octagonal, near round)."""
        steps = int(round(r * self.k))
        if steps <= 0:
            return mask
        a = np.asarray(mask, dtype=np.uint8)
        for i in range(steps):
            p = np.pad(a, 1)
            c = p[1:-1, 1:-1]
            out = np.maximum.reduce([c, p[:-2, 1:-1], p[2:, 1:-1],
                                     p[1:-1, :-2], p[1:-1, 2:]])
            if i % 2 == 0:
                out = np.maximum.reduce([out, p[:-2, :-2], p[:-2, 2:],
                                         p[2:, :-2], p[2:, 2:]])
            a = out
        return Image.fromarray(a)

    def paint(self, mask, color, color2=None, outline=None, ow=1.0,
              direction="v", opacity=1.0):
        """Fill mask with colour (or gradient color->color2) with outline.

        outline=None means "darker version of the fill", outline=False means
        no outline at all.
        """
        if outline is None:
            outline = darken(color, 0.5)
        if outline is not False and ow > 0:
            om = self.dilate(mask, ow)
            self._fill(om, outline, None, direction, opacity)
        self._fill(mask, color, color2, direction, opacity)

    def _fill(self, mask, c1, c2, direction, opacity):
        if c2 is None:
            layer = Image.new("RGBA", (self.W, self.H), tuple(c1) + (255,))
        else:
            bb = mask.getbbox()
            if bb is None:
                return
            layer = gradient_image((self.W, self.H), c1, c2, bb, direction)
        a = mask if opacity >= 1.0 else mask.point(lambda v: int(v * opacity))
        if len(c1) == 4:
            a = ImageChops.multiply(a, Image.new("L", a.size, c1[3]))
        layer.putalpha(a)
        self.img = Image.alpha_composite(self.img, layer)

    def shadow(self, mask, dx=0.6, dy=0.9, blur=0.8, alpha=70):
        m = ImageChops.offset(mask, int(dx * self.k), int(dy * self.k))
        m = m.filter(ImageFilter.GaussianBlur(blur * self.k))
        m = m.point(lambda v: v * alpha // 255)
        layer = Image.new("RGBA", (self.W, self.H), (60, 35, 20, 255))
        layer.putalpha(m)
        self.img = Image.alpha_composite(self.img, layer)

    def result(self):
        return self.img.resize(self.out, Image.LANCZOS)


def gradient_image(size, c1, c2, bbox, direction="v"):
    W, H = size
    x0, y0, x1, y1 = bbox
    if direction == "v":
        t = (np.arange(H, dtype=np.float32) - y0) / max(1, (y1 - y0))
        t = np.clip(t, 0, 1)[:, None] * np.ones((1, W), np.float32)
    elif direction == "h":
        t = (np.arange(W, dtype=np.float32) - x0) / max(1, (x1 - x0))
        t = np.ones((H, 1), np.float32) * np.clip(t, 0, 1)[None, :]
    else:  # diagonal, top-left -> bottom-right
        yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
        t = ((xx - x0) + (yy - y0)) / max(1, (x1 - x0) + (y1 - y0))
        t = np.clip(t, 0, 1)
    a = np.array(c1[:3], np.float32)
    b = np.array(c2[:3], np.float32)
    arr = a[None, None, :] * (1 - t[..., None]) + b[None, None, :] * t[..., None]
    out = np.dstack([arr, np.full((H, W), 255, np.float32)]).astype(np.uint8)
    return Image.fromarray(out, "RGBA")


# ---- mask algebra ----------------------------------------------------------
def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def sub(a, b):
    return ImageChops.subtract(a, b)


def inter(a, b):
    return ImageChops.multiply(a, b)


# ---- geometry helpers -------------------------------------------------------
def bezier(p0, p1, p2, n=40, p3=None):
    pts = []
    for t in np.linspace(0, 1, n):
        if p3 is None:
            x = (1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0]
            y = (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1]
        else:
            x = ((1 - t) ** 3 * p0[0] + 3 * (1 - t) ** 2 * t * p1[0]
                 + 3 * (1 - t) * t * t * p2[0] + t ** 3 * p3[0])
            y = ((1 - t) ** 3 * p0[1] + 3 * (1 - t) ** 2 * t * p1[1]
                 + 3 * (1 - t) * t * t * p2[1] + t ** 3 * p3[1])
        pts.append((float(x), float(y)))
    return pts


def star_points(cx, cy, r_out, r_in, n, rot=-90):
    pts = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + i * 180.0 / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def gear_points(cx, cy, r_out, r_in, teeth, rot=0.0, tooth_frac=0.5):
    """Outline of a gear with trapezoid teeth."""
    pts = []
    step = 360.0 / teeth
    for i in range(teeth):
        a0 = rot + i * step
        half = step * tooth_frac / 2
        for a, r in ((a0 - half * 1.25, r_in), (a0 - half * 0.8, r_out),
                     (a0 + half * 0.8, r_out), (a0 + half * 1.25, r_in)):
            pts.append((cx + r * math.cos(math.radians(a)),
                        cy + r * math.sin(math.radians(a))))
    return pts


def feather_outline(p0, p1, p2, width, n=60, notches=(), asym=0.15):
    """Leaf/feather shaped polygon along the quadratic curve p0->p2.

    width is the maximal half-width; notches is a list of (t, side, depth)
    that cut small V gaps into the vane to make it look like a feather.
    """
    spine = bezier(p0, p1, p2, n)
    left, right = [], []
    for i, (x, y) in enumerate(spine):
        t = i / (n - 1)
        if i < n - 1:
            dx, dy = spine[i + 1][0] - x, spine[i + 1][1] - y
        else:
            dx, dy = x - spine[i - 1][0], y - spine[i - 1][1]
        L = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / L, dx / L
        prof = math.sin(math.pi * min(1.0, t ** 0.8)) ** 0.9
        wl = width * prof * (1 + asym)
        wr = width * prof * (1 - asym)
        for (nt, side, depth) in notches:
            if abs(t - nt) < 0.03:
                k = 1 - depth * (1 - abs(t - nt) / 0.03)
                if side < 0:
                    wl *= k
                else:
                    wr *= k
        left.append((x + nx * wl, y + ny * wl))
        right.append((x - nx * wr, y - ny * wr))
    return left + right[::-1], spine
