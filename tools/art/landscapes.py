"""Procedural landscape slides (322x322 JPEG).

Each scene is painted on a float RGB array at twice the final size: sky
gradient, sun or moon with glow, layered ridges whose colours fade towards
the haze colour with distance, silhouettes of trees, optional water with a
rippled reflection, and finally a light grain before JPEG encoding.
"""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from canvas import rgb

OUT = 322
S = OUT * 2  # working resolution


def col(c):
    return np.array(rgb(c) if isinstance(c, str) else c, np.float32)


def mixc(a, b, t):
    return col(a) * (1 - t) + col(b) * t


class Scene:
    def __init__(self, seed):
        self.rng = np.random.default_rng(seed)
        self.img = np.zeros((S, S, 3), np.float32)
        self.yy = np.arange(S, dtype=np.float32)[:, None]
        self.xx = np.arange(S, dtype=np.float32)[None, :]

    # ---- sky ------------------------------------------------------------------
    def vgrad(self, stops, y0=0, y1=S):
        """Fill rows y0..y1 with a multi-stop vertical gradient."""
        t = np.clip((np.arange(S) - y0) / max(1, (y1 - y0)), 0, 1)
        pos = [p for p, _ in stops]
        cols = np.stack([col(c) for _, c in stops])
        rows = np.stack([np.interp(t, pos, cols[:, k]) for k in range(3)], axis=1)
        self.img[y0:y1] = rows[y0:y1, None, :]

    def glow(self, cx, cy, radius, color, strength):
        """Soft radial light: blend towards color with a gaussian falloff."""
        d = np.hypot(self.xx - cx, self.yy - cy)
        g = np.clip(np.exp(-(d / radius) ** 2) * strength, 0, 1)
        self.img += g[..., None] * (col(color) - self.img)

    def disc(self, cx, cy, r, color, alpha=1.0):
        """Anti-aliased filled circle, touching only its bounding box."""
        x0, x1 = max(0, int(cx - r - 2)), min(S, int(cx + r + 3))
        y0, y1 = max(0, int(cy - r - 2)), min(S, int(cy + r + 3))
        if x0 >= x1 or y0 >= y1:
            return
        d = np.hypot(self.xx[:, x0:x1] - cx, self.yy[y0:y1] - cy)
        a = (np.clip(r - d + 0.5, 0, 1) * alpha)[..., None]
        c = col(color) if not isinstance(color, np.ndarray) else color
        self.img[y0:y1, x0:x1] = self.img[y0:y1, x0:x1] * (1 - a) + c * a

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        xa, xb = max(0, int(round(x0))), min(S, int(round(x1)))
        ya, yb = max(0, int(round(y0))), min(S, int(round(y1)))
        if xa < xb and ya < yb:
            self.img[ya:yb, xa:xb] = self.img[ya:yb, xa:xb] * (1 - alpha) + col(color) * alpha

    def blend(self, a, color):
        c = col(color) if not isinstance(color, np.ndarray) else color
        self.img = self.img * (1 - a[..., None]) + c * a[..., None]

    def stars(self, n, ymax, seed_scale=1.0):
        for _ in range(n):
            x = self.rng.uniform(0, S)
            y = self.rng.uniform(0, ymax) ** 1.0
            b = self.rng.uniform(0.35, 1.0) * (1 - y / ymax * 0.6)
            r = self.rng.choice([0.9, 1.2, 1.6, 2.2], p=[0.5, 0.3, 0.15, 0.05])
            self.disc(x, y, r, "#FFFDF0", alpha=b)
            if r > 2:
                self.glow(x, y, 7, "#FFFDF0", 0.25)

    def clouds(self, n, y_range, size, color="#FFFFFF", alpha=0.85, flat=0.45):
        m = Image.new("L", (S, S), 0)
        d = ImageDraw.Draw(m)
        for _ in range(n):
            cx = self.rng.uniform(-0.1 * S, 1.1 * S)
            cy = self.rng.uniform(*y_range)
            w = self.rng.uniform(0.7, 1.3) * size
            for _k in range(7):
                ox = self.rng.normal(0, w * 0.45)
                oy = self.rng.normal(0, w * 0.1)
                r = self.rng.uniform(0.25, 0.45) * w
                d.ellipse([cx + ox - r, cy + oy - r * flat * 1.5, cx + ox + r, cy + oy + r * flat], fill=255)
        m = m.filter(ImageFilter.GaussianBlur(size * 0.12))
        a = np.asarray(m, np.float32) / 255.0 * alpha
        # slightly darker undersides
        shade = np.asarray(m.filter(ImageFilter.GaussianBlur(size * 0.2)).transform(
            m.size, Image.AFFINE, (1, 0, 0, 0, 1, -size * 0.12)), np.float32) / 255.0
        base = col(color)
        self.img = self.img * (1 - a[..., None]) + (base * (1 - 0.12 * (1 - shade[..., None]))) * a[..., None]

    # ---- ground -------------------------------------------------------------
    def ridge(self, base, amp, wavelength, octaves=4, rough=0.5, sharp=False):
        x = np.arange(S, dtype=np.float32)
        y = np.zeros(S, np.float32)
        a, wl = amp, wavelength
        for _ in range(octaves):
            n = int(S / wl) + 3
            pts = self.rng.uniform(-1, 1, n)
            p = x / wl
            i = np.floor(p).astype(int)
            f = p - i
            if sharp:
                v = pts[i] * (1 - f) + pts[i + 1] * f
            else:
                f = (1 - np.cos(f * math.pi)) / 2
                v = pts[i] * (1 - f) + pts[i + 1] * f
            y += v * a
            a *= rough
            wl /= 2.1
        return base - y

    def layer(self, y, top, bottom, depth=None, shade=None, shade_depth=40.0):
        """Fill everything below curve y (per column) with a gradient."""
        ymin = float(y.min())
        t = np.clip((self.yy - ymin) / max(1.0, S - ymin), 0, 1)
        c = col(top)[None, None, :] * (1 - t[..., None]) + col(bottom)[None, None, :] * t[..., None]
        c = np.broadcast_to(c, (S, S, 3)).copy()
        if shade is not None:
            fall = np.exp(-np.clip(self.yy - y[None, :], 0, None) / shade_depth)
            c *= (1 + shade[None, :, None] * fall[..., None])
        a = np.clip(self.yy - y[None, :] + 0.5, 0, 1)
        self.img = self.img * (1 - a[..., None]) + c * a[..., None]

    def mask_layer(self, mask, color, alpha=1.0):
        a = np.asarray(mask, np.float32) / 255.0 * alpha
        self.blend(a, color)

    def new_mask(self):
        m = Image.new("L", (S, S), 0)
        return m, ImageDraw.Draw(m)

    # ---- trees ----------------------------------------------------------------
    @staticmethod
    def pine(d, x, base, h, w=None, fill=255):
        w = w or h * 0.42
        d.rectangle([x - h * 0.03, base - h * 0.15, x + h * 0.03, base], fill=fill)
        tiers = 4
        for k in range(tiers):
            tb = base - h * 0.1 - k * h * 0.2
            tw = w * (1 - k * 0.2) / 2
            d.polygon([(x - tw, tb), (x + tw, tb), (x, tb - h * 0.38)], fill=fill)

    @staticmethod
    def round_tree(d, x, base, h, rng, fill=255):
        d.rectangle([x - h * 0.04, base - h * 0.5, x + h * 0.04, base], fill=fill)
        r = h * 0.3
        for _ in range(6):
            ox, oy = rng.normal(0, r * 0.35), rng.normal(0, r * 0.3)
            rr = r * rng.uniform(0.6, 0.9)
            cy = base - h * 0.62 + oy
            d.ellipse([x + ox - rr, cy - rr, x + ox + rr, cy + rr], fill=fill)

    def tree_row(self, y, spacing, hmin, hmax, color, kind="pine", jitter=0.5, alpha=1.0, xs=None):
        m, d = self.new_mask()
        if xs is None:
            xs = np.arange(-spacing, S + spacing, spacing, dtype=np.float32)
            xs = xs + self.rng.uniform(-jitter, jitter, xs.size) * spacing
        for x in xs:
            xi = int(np.clip(x, 0, S - 1))
            h = self.rng.uniform(hmin, hmax)
            base = y[xi] + h * 0.06
            if kind == "pine":
                self.pine(d, x, base, h)
            else:
                self.round_tree(d, x, base, h, self.rng)
        self.mask_layer(m, color, alpha)
        return m

    def water(self, y0, tint, strength=0.45, ripple=2.5):
        """Reflect what is above y0 into the rows below, with ripples."""
        h = S - y0
        src = self.img.copy()
        for r in range(h):
            yy = y0 + r
            sy = int(np.clip(y0 - 1 - r * 1.0, 0, S - 1))
            shift = int(round(ripple * (1 + r / 60) * math.sin(r * 0.9 + self.rng.uniform(0, 0.6))))
            row = np.roll(src[sy], shift, axis=0)
            t = min(1.0, strength + r / h * 0.35)
            self.img[yy] = row * (1 - t) + col(tint) * t
        # glints
        for _ in range(int(h * 1.5)):
            yy = int(self.rng.uniform(y0 + 2, S))
            xx = self.rng.uniform(0, S)
            ln = self.rng.uniform(6, 22) * (0.5 + (yy - y0) / h)
            a = self.rng.uniform(0.08, 0.25)
            x0, x1 = int(max(0, xx - ln / 2)), int(min(S, xx + ln / 2))
            self.img[yy, x0:x1] = self.img[yy, x0:x1] * (1 - a) + 255 * a

    def finish(self, grain=2.2, vignette=0.10):
        img = self.img
        if vignette:
            d = np.hypot((self.xx - S / 2) / (S / 2), (self.yy - S / 2) / (S / 2))
            img = img * (1 - vignette * np.clip(d - 0.55, 0, None)[..., None])
        im = Image.fromarray(np.clip(img, 0, 255).astype(np.uint8), "RGB")
        im = im.resize((OUT, OUT), Image.LANCZOS)
        a = np.asarray(im, np.float32)
        noise = self.rng.normal(0, grain, (OUT, OUT, 1)).astype(np.float32)
        noise = np.asarray(Image.fromarray(np.clip(noise[..., 0] * 20 + 128, 0, 255).astype(np.uint8))
                           .filter(ImageFilter.GaussianBlur(0.6)), np.float32)
        a += ((noise - 128) / 20.0 * 1.6)[..., None]
        return Image.fromarray(np.clip(a, 0, 255).astype(np.uint8), "RGB")


def bezier_pts(p0, p1, p2, n):
    out = []
    for t in np.linspace(0, 1, n):
        out.append(((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
                    (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1]))
    return out


def shaded_trees(s, trees, color, light):
    """Round trees with a lighter, sun-facing upper left part."""
    m, d = s.new_mask()
    for (x, base, h) in trees:
        Scene.round_tree(d, x, base, h, s.rng)
    s.mask_layer(m, color)
    a = np.asarray(m, np.float32) / 255.0
    shifted = np.roll(np.roll(a, 10, axis=0), 8, axis=1)
    s.blend(np.clip(a - shifted, 0, 1) * 0.7, light)


def haze(c, h, t):
    return tuple(mixc(c, h, t))


# ---------------------------------------------------------------------------
# scenes
# ---------------------------------------------------------------------------
def winter():
    s = Scene(11)
    s.vgrad([(0, "#A9C8E8"), (0.45, "#D6E6F4"), (0.62, "#F4F1EA")])
    s.glow(S * 0.7, S * 0.4, 140, "#FFF6E0", 0.55)
    s.disc(S * 0.7, S * 0.4, 22, "#FFF8E8", 0.95)
    s.clouds(5, (60, 220), 130, alpha=0.5)
    H = "#E4ECF4"
    y1 = s.ridge(S * 0.52, 40, 260)
    s.layer(y1, haze("#9FB3CC", H, 0.35), haze("#C9D6E6", H, 0.2))
    s.tree_row(y1, 9, 14, 26, haze("#4E6B72", H, 0.55))
    y2 = s.ridge(S * 0.64, 34, 300)
    s.layer(y2, "#FFFFFF", "#D5E2EF", shade=np.gradient(y2) * -0.05, shade_depth=60)
    s.tree_row(y2, 26, 40, 75, haze("#2F4F45", H, 0.25), jitter=0.9)
    y3 = s.ridge(S * 0.80, 26, 340, octaves=3)
    s.layer(y3, "#FBFDFF", "#C6D7EA", shade=np.gradient(y3) * -0.06, shade_depth=80)
    m, d = s.new_mask()
    for x, h in ((S * 0.12, 230), (S * 0.26, 170), (S * 0.9, 260)):
        s.pine(d, x, y3[int(np.clip(x, 0, S - 1))] + 12, h)
    s.mask_layer(m, "#1F3B32")
    # snow on the branches of the near pines
    m2, d2 = s.new_mask()
    for x, h in ((S * 0.12, 230), (S * 0.26, 170), (S * 0.9, 260)):
        base = y3[int(np.clip(x, 0, S - 1))] + 12
        for k in range(4):
            tb = base - h * 0.1 - k * h * 0.2
            tw = h * 0.42 * (1 - k * 0.2) / 2
            d2.polygon([(x - tw * 0.9, tb - 2), (x - tw * 0.2, tb - h * 0.09), (x + tw * 0.3, tb - h * 0.07),
                        (x + tw * 0.85, tb - 3), (x, tb - 6)], fill=255)
    s.mask_layer(m2, "#F4F8FC", 0.9)
    # falling snow
    for _ in range(140):
        s.disc(s.rng.uniform(0, S), s.rng.uniform(0, S), s.rng.uniform(1.0, 2.6), "#FFFFFF", s.rng.uniform(0.5, 0.9))
    return s.finish()


def blossom_tree(s, x, base, h, pinks):
    m, d = s.new_mask()
    # trunk and branches
    d.polygon([(x - 16, base), (x - 8, base - h * 0.45), (x - 44, base - h * 0.72), (x - 34, base - h * 0.76),
               (x, base - h * 0.54), (x + 30, base - h * 0.82), (x + 40, base - h * 0.78), (x + 9, base - h * 0.45),
               (x + 16, base)], fill=255)
    s.mask_layer(m, "#6B4A3A")
    cx, cy = x, base - h * 0.78
    for k in range(900):
        ang = s.rng.uniform(0, 2 * math.pi)
        rr = math.sqrt(s.rng.uniform(0, 1))
        px = cx + math.cos(ang) * rr * h * 0.48
        py = cy + math.sin(ang) * rr * h * 0.3
        c = pinks[s.rng.integers(len(pinks))]
        shade = 1.0 - 0.15 * max(0.0, math.sin(ang)) * rr
        s.disc(px, py, s.rng.uniform(3, 8), tuple(col(c) * shade), 0.85)


def spring():
    s = Scene(22)
    s.vgrad([(0, "#7EC3EE"), (0.5, "#CDE9F7"), (0.62, "#F3FAF2")])
    s.clouds(7, (50, 250), 120, alpha=0.85)
    H = "#DCEFF0"
    y1 = s.ridge(S * 0.56, 30, 280)
    s.layer(y1, haze("#7FAF8A", H, 0.5), haze("#9CC48C", H, 0.4))
    s.tree_row(y1, 14, 16, 28, haze("#5E9A66", H, 0.5), kind="round")
    y2 = s.ridge(S * 0.66, 22, 320, octaves=3)
    s.layer(y2, "#A5D66B", "#6FB043", shade=np.gradient(y2) * -0.05)
    y3 = s.ridge(S * 0.84, 14, 360, octaves=3)
    s.layer(y3, "#8BC34A", "#558B2F")
    blossom_tree(s, S * 0.36, y3[int(S * 0.36)] + 8, 330, ["#F8BBD0", "#FCE4EC", "#F48FB1", "#FFFFFF"])
    # meadow flowers
    for _ in range(260):
        x = s.rng.uniform(0, S)
        y = s.rng.uniform(S * 0.7, S)
        if y < y2[int(x)] + 4:
            continue
        r = 1.2 + (y - S * 0.7) / (S * 0.3) * 2.4
        s.disc(x, y, r, ["#FFF176", "#FFFFFF", "#F8BBD0", "#FFD54F"][s.rng.integers(4)], 0.95)
    return s.finish()


def summer():
    s = Scene(33)
    s.vgrad([(0, "#2F8FE0"), (0.45, "#8CCBF5"), (0.5, "#D8F0FB")])
    s.glow(S * 0.78, S * 0.16, 120, "#FFF8D0", 0.8)
    s.disc(S * 0.78, S * 0.16, 30, "#FFFBE6")
    s.clouds(4, (120, 260), 110, alpha=0.9)
    H = "#C9E6F2"
    y1 = s.ridge(S * 0.47, 34, 260)
    s.layer(y1, haze("#3E8E6A", H, 0.55), haze("#4E9E6A", H, 0.45))
    y2 = s.ridge(S * 0.53, 16, 200)
    s.layer(y2, haze("#3D8B45", H, 0.25), haze("#2E7D32", H, 0.15))
    s.tree_row(y2, 18, 18, 34, haze("#2E6B36", H, 0.2), kind="round")
    lake = int(S * 0.58)
    s.img[lake:] = s.img[lake - 1]
    s.water(lake, "#2E7DB8", strength=0.4, ripple=2.0)
    y3 = s.ridge(S * 0.8, 30, 300, octaves=3) + np.linspace(-10, 30, S)
    s.layer(y3, "#F2D26B", "#C9A53A", shade=np.gradient(y3) * -0.04)
    # wheat stalk hints
    stalks = [s.new_mask() for _ in range(3)]
    for _ in range(300):
        x = s.rng.uniform(0, S)
        yb = y3[int(x)]
        y = s.rng.uniform(yb + 4, S)
        ln = 4 + (y - yb) / (S - yb + 1) * 14
        stalks[s.rng.integers(3)][1].line([(x, y), (x + s.rng.uniform(-2, 2), y - ln)], fill=255, width=2)
    for (m, _d), c in zip(stalks, ["#E8BE45", "#FFE08A", "#B98F2C"]):
        s.mask_layer(m, c, 0.6)
    shaded_trees(s, [(S * 0.12, y3[int(S * 0.12)] + 30, 250)], "#2F5E2A", "#5E9A3A")
    return s.finish()


def autumn():
    s = Scene(44)
    s.vgrad([(0, "#8FB6D9"), (0.4, "#F3D9B1"), (0.55, "#F8E3C0")])
    s.glow(S * 0.25, S * 0.32, 150, "#FFE2A8", 0.5)
    s.clouds(5, (40, 200), 120, color="#FFF1DE", alpha=0.7)
    H = "#F1D9B8"
    pal = ["#E65100", "#F57C00", "#FFA000", "#C62828", "#8D3B1E", "#FBC02D"]
    for i, (base, amp, hz, sz, n) in enumerate(((0.50, 30, 0.6, 8, 1400), (0.62, 26, 0.38, 12, 1100),
                                                (0.76, 22, 0.15, 17, 900))):
        y = s.ridge(S * base, amp, 280 - i * 30)
        s.layer(y, haze("#B8622A", H, hz), haze("#8A4A22", H, hz * 0.8))
        for _ in range(n):  # crowns of trees along and under the ridge
            x = s.rng.uniform(-10, S + 10)
            yy = y[int(np.clip(x, 0, S - 1))] + s.rng.uniform(-sz * 0.6, sz * 3.0)
            c = col(pal[s.rng.integers(len(pal))])
            c = haze(tuple(c), H, hz) if hz else tuple(c)
            s.disc(x, yy, s.rng.uniform(0.5, 1.0) * sz, c, 0.95)
    y4 = s.ridge(S * 0.92, 10, 300, octaves=2)
    s.layer(y4, "#9A6A35", "#6B4424")
    for _ in range(500):  # fallen leaves on the ground
        x = s.rng.uniform(0, S)
        y = s.rng.uniform(y4[int(x)] + 2, S)
        s.disc(x, y, s.rng.uniform(1.5, 3.5) * (1 + (y - S * 0.9) / (S * 0.1)),
               pal[s.rng.integers(len(pal))], 0.85)
    m, d = s.new_mask()
    d.polygon([(S * 0.8 - 10, S), (S * 0.8 - 6, S * 0.45), (S * 0.8 + 6, S * 0.45), (S * 0.8 + 12, S)], fill=255)
    d.line([(S * 0.8, S * 0.6), (S * 0.66, S * 0.4)], fill=255, width=8)
    d.line([(S * 0.8, S * 0.55), (S * 0.95, S * 0.38)], fill=255, width=7)
    s.mask_layer(m, "#3E2A1E")
    for _ in range(420):
        ang = s.rng.uniform(0, 2 * math.pi)
        rr = math.sqrt(s.rng.uniform(0, 1))
        s.disc(S * 0.8 + math.cos(ang) * rr * 150, S * 0.36 + math.sin(ang) * rr * 95, s.rng.uniform(6, 13),
               pal[s.rng.integers(len(pal))], 0.9)
    for _ in range(40):  # falling leaves
        s.disc(s.rng.uniform(0, S), s.rng.uniform(S * 0.3, S), s.rng.uniform(2, 4), pal[s.rng.integers(4)], 0.9)
    return s.finish()


def mountains_sunset():
    s = Scene(55)
    s.vgrad([(0, "#3B2C6B"), (0.3, "#9C4F8A"), (0.5, "#F08A5D"), (0.62, "#FFD08A")])
    s.glow(S * 0.55, S * 0.6, 170, "#FFE1A0", 0.7)
    s.disc(S * 0.55, S * 0.56, 42, "#FFF1C4")
    s.clouds(6, (80, 240), 140, color="#F6A38B", alpha=0.45, flat=0.25)
    H = "#F3A983"
    layers = [(0.55, 90, 0.75, "#8E5A8E"), (0.64, 80, 0.55, "#6C4479"), (0.74, 60, 0.33, "#4A2F5E"),
              (0.86, 40, 0.12, "#2C1C3A")]
    for base, amp, hz, c in layers:
        y = s.ridge(S * base, amp, 240, octaves=5, rough=0.55, sharp=True)
        lit = np.convolve(np.clip(-np.gradient(y) * 0.06, -0.12, 0.12), np.ones(9) / 9, mode="same")
        s.layer(y, haze(c, H, hz), haze(c, "#1A1024", 0.2), shade=lit, shade_depth=25)
    s.tree_row(y, 12, 24, 50, "#1A1024", jitter=0.6)
    return s.finish(vignette=0.18)


def sea_coast():
    s = Scene(66)
    s.vgrad([(0, "#4BA3E3"), (0.45, "#BDE2F6")])
    s.clouds(6, (50, 230), 120, alpha=0.9)
    s.glow(S * 0.2, S * 0.2, 120, "#FFFFF0", 0.4)
    hor = int(S * 0.5)
    s.vgrad([(0, "#5BA8D0"), (1, "#1E6D9E")], hor, S)
    for _ in range(700):  # wave glints
        y = s.rng.uniform(hor + 2, S * 0.82)
        x = s.rng.uniform(0, S)
        ln = 3 + (y - hor) / 8
        a = s.rng.uniform(0.2, 0.6)
        yi = int(y)
        s.img[yi, int(max(0, x - ln)):int(min(S, x + ln))] *= (1 - a)
        s.img[yi, int(max(0, x - ln)):int(min(S, x + ln))] += 255 * a
    # rocky headland on the right, its foot in the water
    foot = hor + 70
    x0 = S * 0.6
    m, d = s.new_mask()
    face = bezier_pts((x0, foot), (x0 + 10, hor - 60), (x0 + 70, hor - 150), 14)
    pts = [(x + s.rng.uniform(-3, 3), y) for x, y in face]
    topy = hor - 150
    for k in range(1, 8):
        pts.append((x0 + 70 + k * 30, topy + k * 4 + s.rng.uniform(-5, 5)))
    pts += [(S + 5, topy + 40), (S + 5, foot), (x0, foot)]
    d.polygon(pts, fill=255)
    a = np.asarray(m, np.float32) / 255.0
    t = np.clip((s.yy - topy) / (foot - topy), 0, 1)
    rock = col("#A8947C")[None, None, :] * (1 - t[..., None]) + col("#5A493B")[None, None, :] * t[..., None]
    rock = rock * (1.1 - 0.25 * np.clip((s.xx - x0 - 20) / 120.0, 0, 1))[..., None]
    s.img = s.img * (1 - a[..., None]) + rock * a[..., None]
    strata, ds = s.new_mask()
    for k in range(14):
        yk = topy + 18 + k * (foot - topy) / 14
        xs0 = x0 + s.rng.uniform(0, 50)
        ds.line([(xs0, yk), (xs0 + s.rng.uniform(60, 200), yk + s.rng.uniform(-3, 6))], fill=255, width=2)
    s.blend(np.asarray(strata, np.float32) / 255.0 * a * 0.3, "#3E3026")
    # grassy cap
    g, dg = s.new_mask()
    cap = pts[len(face) - 2:len(face) + 7]
    dg.line(cap, fill=255, width=16, joint="curve")
    dg.polygon(cap + [(S + 5, topy - 30), (x0 + 60, topy - 30)], fill=255)
    ga = np.asarray(g, np.float32) / 255.0 * a
    s.blend(ga, "#72A247")
    s.blend(ga * np.clip((s.yy - (topy - 5)) / 30.0, 0, 1) * 0.4, "#3E6E2A")
    # boulders and foam where the sea meets the rock
    fm = np.clip(1 - np.abs(s.yy - foot - 1 - 2 * np.sin(s.xx / 7.0)) / 3.5, 0, 1) * (s.xx > x0 - 30)
    s.blend(fm.astype(np.float32) * 0.7, "#FFFFFF")
    for bx, by, br in ((x0 - 18, foot + 8, 20), (x0 + 14, foot + 4, 28), (x0 + 44, foot + 10, 14),
                       (x0 + 150, foot + 6, 18), (x0 + 205, foot + 9, 11)):
        bm, bd = s.new_mask()
        n = 9
        poly = [(bx + br * (1.25 if math.cos(2 * math.pi * k / n) > 0 else 1.1) * math.cos(2 * math.pi * k / n)
                 * s.rng.uniform(0.85, 1.1),
                 by + min(0.0, br * 0.8 * math.sin(2 * math.pi * k / n)) * s.rng.uniform(0.8, 1.1) + 4)
                for k in range(n)]
        bd.polygon(poly, fill=255)
        ba = np.asarray(bm, np.float32) / 255.0
        s.blend(ba, "#5A493B")
        lit = np.clip(ba - np.roll(np.roll(ba, 6, axis=0), 5, axis=1), 0, 1)
        s.blend(lit * 0.6, "#9A8670")
        fb = np.clip(1 - np.abs(s.yy - by - 4) / 3.0, 0, 1) * (np.abs(s.xx - bx) < br * 1.5)
        s.blend(fb.astype(np.float32) * 0.8, "#FFFFFF")
    # beach
    yb = s.ridge(S * 0.8, 10, 300, octaves=2) + np.linspace(20, -25, S)
    s.layer(yb.astype(np.float32), "#F7E3B5", "#E0C38A")
    foam = np.clip(1 - np.abs(s.yy - (yb[None, :] - 2)) / 3.0, 0, 1)
    s.blend(foam * 0.9, "#FFFFFF")
    for _ in range(150):
        x = s.rng.uniform(0, S)
        y = s.rng.uniform(yb[int(x)] + 4, S)
        s.disc(x, y, s.rng.uniform(0.8, 2.0), "#C9A870", 0.5)
    return s.finish()


def night_sky():
    s = Scene(77)
    s.vgrad([(0, "#0B1033"), (0.55, "#22306B"), (0.75, "#3B4E8C")])
    s.stars(260, S * 0.7)
    s.glow(S * 0.72, S * 0.22, 90, "#C9D8FF", 0.35)
    s.disc(S * 0.72, S * 0.22, 34, "#FFF8DC")
    for dx, dy, r in ((-10, -8, 7), (9, 6, 5), (-4, 12, 4), (12, -10, 3)):
        s.disc(S * 0.72 + dx, S * 0.22 + dy, r, "#E9DDB5", 0.6)
    H = "#3B4E8C"
    for base, amp, hz, c in ((0.62, 40, 0.55, "#1B2650"), (0.72, 32, 0.3, "#141C3E"), (0.84, 24, 0.0, "#0C1128")):
        y = s.ridge(S * base, amp, 280)
        s.layer(y, haze(c, H, hz), haze(c, "#05070F", 0.3))
        if hz < 0.5:
            s.tree_row(y, 18 if hz else 30, 20 if hz else 40, 36 if hz else 90, haze(c, "#05070F", 0.3),
                       jitter=0.7)
    # a tiny cottage with a lit window
    x = int(S * 0.3)
    yb = float(y[x]) + 6
    m, d = s.new_mask()
    d.rectangle([x - 22, yb - 26, x + 22, yb], fill=255)
    d.polygon([(x - 28, yb - 24), (x, yb - 46), (x + 28, yb - 24)], fill=255)
    s.mask_layer(m, "#0A0E22")
    s.glow(x - 7, yb - 13, 16, "#FFC864", 0.6)
    m, d = s.new_mask()
    d.rectangle([x - 12, yb - 18, x - 2, yb - 8], fill=255)
    s.mask_layer(m, "#FFD77A")
    return s.finish(vignette=0.2)


def birch_grove():
    s = Scene(88)
    s.vgrad([(0, "#BFE3A8"), (0.5, "#EAF5D8"), (0.7, "#DDEFC2")])
    s.glow(S * 0.5, S * 0.35, 200, "#FFFDE8", 0.6)
    H = "#E6F3D2"
    y1 = s.ridge(S * 0.62, 12, 200)
    s.layer(y1, haze("#8DBF62", H, 0.4), "#6FA83E")
    # distant trunks
    for depth, n, wmin, wmax, hz in ((0, 28, 4, 7, 0.6), (1, 14, 8, 13, 0.3), (2, 7, 16, 26, 0.0)):
        for _ in range(n):
            x = s.rng.uniform(0, S)
            w = s.rng.uniform(wmin, wmax)
            base = S * (0.66 + depth * 0.1) + s.rng.uniform(0, 20)
            trunk = np.clip(w / 2 - np.abs(s.xx - x) + 0.5, 0, 1) * (s.yy < base)
            shade = np.clip((s.xx - x) / w, -0.5, 0.5)
            c = haze(mixc("#F5F3EA", "#B9B4A2", 0.5 + shade.mean() * 0.0), H, hz)
            s.blend(trunk.astype(np.float32), c)
            s.blend((trunk * np.clip((s.xx - x) / (w / 2), 0, 1) * 0.35).astype(np.float32), "#8F8A78")
            my = s.rng.uniform(0, 30)
            while my < base:  # dark birch marks, growing from either edge of the bark
                mw = s.rng.uniform(0.25, 0.6) * w
                mx0 = x - w / 2 if s.rng.uniform() < 0.5 else x + w / 2 - mw
                mh = s.rng.uniform(2.2, 4.5) * (1 + depth * 0.4)
                s.rect(mx0, my - mh / 2, mx0 + mw, my + mh / 2, "#2E2A24", (1 - hz) * 0.85)
                my += s.rng.uniform(10, 28) * (1 + depth * 0.3)
        if depth == 0:
            y2 = s.ridge(S * 0.74, 8, 240)
            s.layer(y2, "#86BE55", "#5E9A33")
        if depth == 1:
            y3 = s.ridge(S * 0.86, 6, 240)
            s.layer(y3, "#7CB342", "#4E8A2A")
    # foliage at the top
    greens = ["#7CB342", "#9CCC65", "#C5E1A5", "#689F38", "#AED581"]
    for _ in range(1100):
        x = s.rng.uniform(0, S)
        y = abs(s.rng.normal(0, S * 0.14))
        s.disc(x, y, s.rng.uniform(3, 9), greens[s.rng.integers(len(greens))], 0.8)
    for _ in range(200):
        x = s.rng.uniform(0, S)
        y = s.rng.uniform(S * 0.8, S)
        s.disc(x, y, s.rng.uniform(1.5, 3), ["#FFFFFF", "#FFF59D"][s.rng.integers(2)], 0.9)
    return s.finish()


def river_valley():
    s = Scene(99)
    s.vgrad([(0, "#6FB1E6"), (0.42, "#D2EAF7"), (0.5, "#EEF6F0")])
    s.clouds(6, (40, 200), 110, alpha=0.85)
    H = "#D7EAEE"
    y1 = s.ridge(S * 0.42, 60, 220, sharp=True, rough=0.5)
    s.layer(y1, haze("#6E8FA8", H, 0.5), haze("#7FA38A", H, 0.45))
    y2 = s.ridge(S * 0.5, 40, 260)
    s.layer(y2, haze("#5E9A5E", H, 0.3), haze("#6FA85A", H, 0.25))
    s.tree_row(y2, 10, 14, 24, haze("#3E6E3A", H, 0.3), jitter=0.6)
    # river: a winding band widening towards the viewer
    top = S * 0.55
    rows = np.arange(S, dtype=np.float32)
    t = np.clip((rows - top) / (S - top), 0, 1)
    center = S * 0.5 + np.sin(t * 5.0 + 0.6) * S * 0.18 * t + (t ** 2) * S * 0.05
    half = 3 + t ** 1.6 * S * 0.32
    field = s.ridge(S * 0.57, 6, 300, octaves=2)
    s.layer(field, "#A6D16A", "#5E9A33")
    # strip fields
    for k in range(7):
        yb = S * 0.6 + k * k * 6.0
        band = (np.abs(s.yy - yb) < 1.0 + k * 0.3).astype(np.float32)
        s.blend(band * 0.25, "#3E6E2A")
    inside = (np.abs(s.xx - center[:, None]) < half[:, None]) * (s.yy > top)
    edge = np.clip(half[:, None] - np.abs(s.xx - center[:, None]), 0, 2) / 2
    riv = np.broadcast_to(t[:, None, None], (S, S, 1))
    rc = col("#A9D6F0") * (1 - riv) + col("#2F7BB5") * riv
    a = (inside * edge).astype(np.float32)
    s.img = s.img * (1 - a[..., None]) + rc * a[..., None]
    bank = (np.abs(np.abs(s.xx - center[:, None]) - half[:, None]) < (1 + t[:, None] * 3)) * (s.yy > top)
    s.blend(bank.astype(np.float32) * 0.6, "#E9DDB0")
    for _ in range(250):
        y = s.rng.uniform(top + 5, S)
        ti = (y - top) / (S - top)
        x = center[int(y)] + s.rng.uniform(-0.8, 0.8) * half[int(y)]
        ln = 2 + ti * 12
        yi = int(y)
        x0, x1 = int(max(0, x - ln)), int(min(S, x + ln))
        s.img[yi, x0:x1] = s.img[yi, x0:x1] * 0.7 + 255 * 0.3
    shaded_trees(s, [(x, S * 0.98, s.rng.uniform(170, 230)) for x in (S * 0.06, S * 0.16, S * 0.94)],
                 "#2F5A28", "#5E9A3A")
    return s.finish()


def dune_profile(s, base, amp, wl):
    """Dune line with sharp crests: |sin| gives cusps pointing upwards."""
    x = np.arange(S, dtype=np.float32)
    ph = s.rng.uniform(0, math.pi)
    warp = x + 18 * np.sin(x / (wl * 0.7) + ph * 2)
    v = np.abs(np.sin(warp / wl * math.pi + ph))
    return (base - amp * (1 - v) ** 1.6 - 6 * np.sin(x / 57 + ph)).astype(np.float32)


def desert_dunes():
    s = Scene(111)
    s.vgrad([(0, "#4F9FD2"), (0.38, "#F2D3A0"), (0.48, "#FBE6BC")])
    s.glow(S * 0.25, S * 0.3, 120, "#FFF4D0", 0.6)
    s.disc(S * 0.25, S * 0.3, 26, "#FFFBEA")
    H = "#F4D9AE"
    for base, amp, wl, hz, c in ((0.53, 22, 260, 0.55, "#E6A85E"), (0.63, 34, 340, 0.35, "#E0964A"),
                                 (0.77, 46, 420, 0.15, "#DA883A"), (0.95, 56, 520, 0.0, "#D27A2E")):
        y = dune_profile(s, S * base, amp, wl)
        slope = np.gradient(y)
        # sun on the left: faces rising towards the right (slope < 0) are lit
        lit = np.clip(-slope * 0.6, -0.28, 0.2)
        lit = np.convolve(lit, np.ones(5) / 5, mode="same")
        s.layer(y, haze(mixc(c, "#FFE3B0", 0.3), H, hz), haze(c, H, hz * 0.6), shade=lit, shade_depth=90)
        # wind ripples
        for k in range(14):
            off = s.rng.uniform(8, S - base * S + 40)
            ripple = np.abs(s.yy - (y[None, :] + off + 3 * np.sin(s.xx / 9 + k))) < 0.8
            s.blend(ripple.astype(np.float32) * 0.07, "#8A4A1A")
    # a cactus
    m, d = s.new_mask()
    x, yb = S * 0.8, S * 0.9
    d.rounded_rectangle([x - 9, yb - 110, x + 9, yb + 40], 9, fill=255)
    d.rounded_rectangle([x - 36, yb - 80, x - 24, yb - 40], 6, fill=255)
    d.rounded_rectangle([x - 36, yb - 46, x, yb - 34], 6, fill=255)
    d.rounded_rectangle([x + 22, yb - 95, x + 34, yb - 55], 6, fill=255)
    d.rounded_rectangle([x, yb - 62, x + 34, yb - 50], 6, fill=255)
    s.mask_layer(m, "#4E7A3A")
    m2, d2 = s.new_mask()
    d2.rounded_rectangle([x + 2, yb - 106, x + 7, yb + 40], 3, fill=255)
    s.mask_layer(m2, "#3A5E2A", 0.7)
    return s.finish()


SCENES = {
    "winter": winter, "spring": spring, "summer": summer, "autumn": autumn,
    "mountains_sunset": mountains_sunset, "sea_coast": sea_coast, "night_sky": night_sky,
    "birch_grove": birch_grove, "river_valley": river_valley, "desert_dunes": desert_dunes,
}
