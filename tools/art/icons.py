"""Tree-node, menu, note and timer icons.

Node icons use a 32x32 design grid, menu icons a 16x16 grid.  All of them
share the palette from canvas.PAL and the same outline rule (outline = darker
shade of the fill) so the set looks like one family.
"""

import math

from canvas import (PAL, SANS_BOLD, Canvas, bezier, darken, gear_points,
                    inter, lighten, rgb, star_points, sub, union)

P = PAL


# ---------------------------------------------------------------------------
# shared motifs
# ---------------------------------------------------------------------------
def sticky_note(c, x0, y0, x1, y1, fold, ow, lines=3, line_w=None, shadow=True):
    body = c.poly([(x0, y0), (x1, y0), (x1, y1 - fold), (x1 - fold, y1), (x0, y1)])
    if shadow:
        c.shadow(body, dx=0.05 * (x1 - x0), dy=0.06 * (y1 - y0), blur=0.04 * (x1 - x0))
    c.paint(body, rgb("#FFF59D"), rgb("#FFD54F"), outline=rgb("#B7811B"), ow=ow)
    flap = c.poly([(x1, y1 - fold), (x1 - fold, y1 - fold), (x1 - fold, y1)])
    c.paint(flap, rgb("#F6C445"), rgb("#E0A526"), outline=rgb("#B7811B"), ow=ow * 0.8)
    h = y1 - y0
    w = x1 - x0
    lw = line_w if line_w is not None else h * 0.075
    gap = h / (lines + 1.6)
    for i in range(lines):
        y = y0 + gap * (i + 1.0)
        xe = x1 - w * (0.18 if i < lines - 1 else 0.42)
        if i == lines - 1:
            xe = min(xe, x1 - fold - w * 0.08)
        c.paint(c.line([(x0 + w * 0.18, y), (xe, y)], lw), rgb("#C08A2B"), outline=False)


def person(c, cx, top, w, color, color2, ow, clip_bottom=None):
    head_r = w * 0.27
    head = c.circle(cx, top + head_r, head_r)
    body = c.ellipse(cx - w / 2, top + head_r * 2.25, cx + w / 2, top + head_r * 2.25 + w * 0.95)
    if clip_bottom is not None:
        body = inter(body, c.rect(cx - w, top, cx + w, clip_bottom))
    c.paint(body, color, color2, ow=ow)
    c.paint(head, color, color2, ow=ow)


def check_mark(c, x, y, s, ow, color=None):
    color = color or P["green"]
    m = c.line([(x - s * 0.45, y), (x - s * 0.1, y + s * 0.38), (x + s * 0.55, y - s * 0.45)],
               s * 0.32)
    c.paint(m, color, outline=darken(color, 0.35), ow=ow * 0.6)


def puzzle_mask(c, x0, y0, s):
    """Puzzle piece in a box of side ~s (knobs on top and right, notch below)."""
    b = s * 0.78
    bx0, by0 = x0, y0 + s * 0.22
    body = c.rrect(bx0, by0, bx0 + b, by0 + b, s * 0.08)
    kr = s * 0.15
    top = c.circle(bx0 + b * 0.5, by0 - kr * 0.55, kr)
    right = c.circle(bx0 + b + kr * 0.55, by0 + b * 0.5, kr)
    notch = c.circle(bx0 + b * 0.5, by0 + b + kr * 0.35, kr * 0.85)
    return sub(union(body, top, right), notch)


def arrow_mask(c, cx, y_tail, y_head, shaft_w, head_w, head_len):
    """Vertical arrow; points up when y_head < y_tail."""
    up = y_head < y_tail
    s = -1 if up else 1
    y_base = y_head - s * head_len
    head = c.poly([(cx, y_head), (cx + head_w / 2, y_base), (cx - head_w / 2, y_base)])
    y0, y1 = sorted((y_tail, y_base - s * 0.3))
    shaft = c.rrect(cx - shaft_w / 2, y0, cx + shaft_w / 2, y1, shaft_w * 0.2)
    return union(head, shaft)


def clock(c, cx, cy, r, ow, ring=None, ring2=None, ticks=True):
    ring = ring or rgb("#4FC3F7")
    ring2 = ring2 or rgb("#0288D1")
    c.paint(c.circle(cx, cy, r), ring, ring2, ow=ow)
    c.paint(c.circle(cx, cy, r * 0.76), P["white"], rgb("#FFF3D6"), outline=darken(ring2, 0.2),
            ow=ow * 0.5)
    ink = P["ink"]
    if ticks:
        for a in range(0, 360, 90):
            ca, sa = math.cos(math.radians(a)), math.sin(math.radians(a))
            c.paint(c.line([(cx + ca * r * 0.6, cy + sa * r * 0.6),
                            (cx + ca * r * 0.68, cy + sa * r * 0.68)], r * 0.1), ink, outline=False)
    c.paint(c.line([(cx, cy), (cx, cy - r * 0.52)], r * 0.15), ink, outline=False)
    c.paint(c.line([(cx, cy), (cx + r * 0.38, cy + r * 0.17)], r * 0.13), ink, outline=False)
    c.paint(c.circle(cx, cy, r * 0.12), P["red"], outline=False)


def gear(c, cx, cy, r, ow, teeth=8, col=None, col2=None, hole=0.35):
    col = col or rgb("#B0BEC5")
    col2 = col2 or rgb("#607D8B")
    g = c.poly(gear_points(cx, cy, r, r * 0.76, teeth, rot=360 / teeth / 2, tooth_frac=0.55))
    g = union(g, c.circle(cx, cy, r * 0.78))
    g = sub(g, c.circle(cx, cy, r * hole))
    c.paint(g, col, col2, ow=ow)
    c.paint(c.ring(cx, cy, r * 0.6, r * 0.5), lighten(col, 0.3), outline=False, opacity=0.6)


def globe(c, cx, cy, r, ow, lw):
    g = c.circle(cx, cy, r)
    c.paint(g, rgb("#4FC3F7"), rgb("#1565C0"), ow=ow)
    # continents
    land = union(
        c.poly([(cx - r * 0.75, cy - r * 0.45), (cx - r * 0.2, cy - r * 0.75), (cx + r * 0.05, cy - r * 0.35),
                (cx - r * 0.25, cy + r * 0.05), (cx - r * 0.15, cy + r * 0.55), (cx - r * 0.45, cy + r * 0.65),
                (cx - r * 0.6, cy + r * 0.05), (cx - r * 0.85, cy - r * 0.05)]),
        c.poly([(cx + r * 0.3, cy - r * 0.15), (cx + r * 0.8, cy - r * 0.3), (cx + r * 0.85, cy + r * 0.25),
                (cx + r * 0.55, cy + r * 0.7), (cx + r * 0.3, cy + r * 0.4)]))
    c.paint(inter(land, c.circle(cx, cy, r * 0.97)), rgb("#9CCC65"), rgb("#558B2F"), outline=False)
    lines = union(
        c.arc(cx, cy, r * 0.98, 0, 360, lw),
        sub(c.ellipse(cx - r * 0.45, cy - r, cx + r * 0.45, cy + r),
            c.ellipse(cx - r * 0.45 + lw, cy - r + lw, cx + r * 0.45 - lw, cy + r - lw)),
        c.line([(cx, cy - r), (cx, cy + r)], lw),
        c.line([(cx - r, cy), (cx + r, cy)], lw),
        c.line([(cx - r * 0.86, cy - r * 0.5), (cx + r * 0.86, cy - r * 0.5)], lw),
        c.line([(cx - r * 0.86, cy + r * 0.5), (cx + r * 0.86, cy + r * 0.5)], lw),
    )
    c.paint(inter(lines, c.circle(cx, cy, r * 0.99)), P["white"], outline=False, opacity=0.55)


# ---------------------------------------------------------------------------
# node icons, 32x32, design grid 32
# ---------------------------------------------------------------------------
OW = 1.0  # outline width in grid units (1 px at 32 px)


def n_everyday(c):
    page = c.rrect(5, 5, 27, 29, 2)
    c.shadow(page)
    c.paint(page, P["paper"], P["paper2"], outline=P["brown2"], ow=OW)
    head = inter(c.rect(5, 5, 27, 12), page)
    c.paint(head, rgb("#FFB74D"), P["orange"], outline=False)
    c.paint(c.line([(5.5, 12), (26.5, 12)], 0.6), darken(P["orange"], 0.4), outline=False)
    # spiral rings
    for x in (10, 16, 22):
        c.paint(c.rrect(x - 1.0, 2.5, x + 1.0, 8, 1.0), rgb("#ECEFF1"), rgb("#90A4AE"),
                outline=rgb("#455A64"), ow=0.8)
    for y, col in ((16.5, P["red"]), (21, P["green"]), (25.5, P["blue"])):
        c.paint(c.circle(9.5, y, 1.5), col, outline=False)
        c.paint(c.line([(13, y), (24 if y < 25 else 20, y)], 1.3), rgb("#A1887F"), outline=False)


def n_calendar(c):
    body = c.rrect(4, 6, 28, 29, 2.5)
    c.shadow(body)
    c.paint(body, P["white"], P["paper2"], outline=P["brown2"], ow=OW)
    head = inter(c.rect(4, 6, 28, 13), body)
    c.paint(head, rgb("#EF5350"), rgb("#C62828"), outline=False)
    for x in (10, 22):
        c.paint(c.rrect(x - 1.2, 2.8, x + 1.2, 9.5, 1.2), rgb("#ECEFF1"), rgb("#78909C"),
                outline=rgb("#37474F"), ow=0.8)
    k = 0
    for r_, y in enumerate((15.2, 19.6, 24.0)):
        for x in (7.2, 12.2, 17.2, 22.2):
            col = rgb("#FF8A65") if (r_, x) == (1, 17.2) else rgb("#BCAAA4")
            c.paint(c.rrect(x, y, x + 3.0, y + 2.9, 0.6), col, outline=False)
            k += 1


def n_mail(c):
    body = c.rrect(2.5, 7, 29.5, 25.5, 2)
    c.shadow(body)
    c.paint(body, rgb("#FFFFFF"), rgb("#E3F2FD"), outline=rgb("#1565C0"), ow=OW)
    c.paint(c.line([(3.5, 24.5), (13, 16.5)], 1.0), rgb("#90CAF9"), outline=False)
    c.paint(c.line([(28.5, 24.5), (19, 16.5)], 1.0), rgb("#90CAF9"), outline=False)
    flap = c.poly([(3.2, 7.8), (28.8, 7.8), (16, 18.5)])
    c.paint(flap, rgb("#E3F2FD"), rgb("#BBDEFB"), outline=rgb("#1565C0"), ow=0.9)
    c.paint(c.circle(16, 17.5, 2.2), P["red"], outline=darken(P["red"], 0.4), ow=0.6)


def n_passwords(c):
    head = sub(c.circle(11, 11, 7), c.circle(9.5, 9.5, 2.3))
    shaft = c.line([(14, 14), (26.5, 26.5)], 3.8)
    t1 = c.line([(21.3, 21.3), (24.3, 18.3)], 3.0, round_caps=False)
    t2 = c.line([(25.3, 25.3), (27.8, 22.8)], 2.6, round_caps=False)
    key = union(head, shaft, t1, t2)
    c.shadow(key)
    c.paint(key, rgb("#FFE082"), rgb("#FFA000"), outline=rgb("#8D5A00"), ow=OW)
    c.paint(c.arc(11, 11, 4.8, 200, 280, 1.0), P["white"], outline=False, opacity=0.8)


def n_diary(c):
    pages = c.rrect(8, 5, 27, 29, 1.5)
    c.paint(pages, P["paper"], P["paper2"], outline=P["brown2"], ow=OW)
    cover = c.rrect(5, 3.5, 25, 27.5, 2)
    c.shadow(cover)
    c.paint(cover, rgb("#C0504D"), rgb("#8E2C2C"), outline=rgb("#5A1A1A"), ow=OW)
    c.paint(c.rect(5.5, 4, 8.5, 27), rgb("#7A2323"), outline=False, opacity=0.6)
    # clasp strap with padlock
    c.paint(c.rect(18, 14.5, 27.5, 18.5), rgb("#8D6E63"), outline=rgb("#4E342E"), ow=0.8)
    shackle = sub(c.circle(20, 14.3, 3.3), c.circle(20, 14.3, 1.9))
    shackle = inter(shackle, c.rect(15, 9, 25, 15.5))
    c.paint(shackle, rgb("#CFD8DC"), rgb("#90A4AE"), outline=rgb("#37474F"), ow=0.8)
    lock = c.rrect(15.5, 14.5, 24.5, 22, 1.2)
    c.paint(lock, rgb("#FFE082"), rgb("#FFA000"), outline=rgb("#8D5A00"), ow=0.9)
    c.paint(union(c.circle(20, 17.3, 1.1), c.rect(19.5, 17.5, 20.5, 20)), rgb("#5D4037"), outline=False)


def n_notes(c):
    sticky_note(c, 4.5, 4.5, 27.5, 27.5, 7, OW, lines=3, line_w=1.4)


def n_schedule(c):
    c.shadow(c.circle(16, 16, 13))
    clock(c, 16, 16, 13, OW)


def n_reminders(c):
    left = bezier((16, 5.0), (10.0, 5.0), (9.6, 11.5), p3=(9.6, 15.5), n=20)
    left += bezier((9.6, 15.5), (9.6, 20.5), (5.2, 22.8), n=14)
    left += [(5.0, 24.5)]
    right = [(32 - x, y) for (x, y) in reversed(left)]
    body = c.poly(left + right)
    rim = c.rrect(4.5, 22.3, 27.5, 25.7, 1.7)
    clapper = c.circle(16, 26.6, 2.5)
    knob = c.circle(16, 4.8, 1.7)
    allm = union(body, rim, clapper, knob)
    c.shadow(allm)
    c.paint(clapper, rgb("#FFB300"), rgb("#E65100"), outline=rgb("#8D4A00"), ow=OW)
    c.paint(union(body, rim, knob), rgb("#FFE082"), rgb("#FFA000"), outline=rgb("#8D5A00"), ow=OW)
    c.paint(c.line([(12.2, 10.5), (11.8, 17.5)], 1.2), P["white"], outline=False, opacity=0.7)
    # ringing strokes
    for sgn in (-1, 1):
        c.paint(c.line([(16 + sgn * 12.3, 7.0), (16 + sgn * 13.6, 11.0)], 1.3), P["orange"], outline=False)


def n_tasks(c):
    page = c.rrect(4, 3, 24, 28.5, 2)
    c.shadow(page)
    c.paint(page, P["paper"], P["paper2"], outline=P["brown2"], ow=OW)
    for i, y in enumerate((9, 15, 21)):
        c.paint(c.rrect(7, y - 2, 11, y + 2, 0.8), P["white"], outline=rgb("#8D6E63"), ow=0.7)
        c.paint(c.line([(13.5, y), (21, y)], 1.4), rgb("#A1887F"), outline=False)
        if i < 2:
            check_mark(c, 9.3, y - 0.3, 4.6, OW)
    gear(c, 24, 24, 7, OW, teeth=8, col=rgb("#B0BEC5"), col2=rgb("#546E7A"))


def n_addressbook(c):
    for i, (y, col) in enumerate(((6.5, P["red"]), (11.5, P["amber"]), (16.5, P["green"]), (21.5, P["purple"]))):
        c.paint(c.rrect(21, y, 28.5, y + 4, 1.2), lighten(col, 0.15), col, ow=0.8)
    cover = c.rrect(5, 3, 25, 29, 2.2)
    c.shadow(cover)
    c.paint(cover, rgb("#64B5F6"), rgb("#1E63B5"), outline=rgb("#0D3C73"), ow=OW)
    c.paint(c.rect(5.5, 3.5, 9, 28.5), rgb("#0D47A1"), outline=False, opacity=0.5)
    for y in (7, 12, 17, 22, 26.5):
        c.paint(c.rrect(3.5, y - 0.8, 8, y + 0.8, 0.8), rgb("#ECEFF1"), rgb("#90A4AE"),
                outline=rgb("#37474F"), ow=0.6)
    person(c, 16.5, 8.5, 11, rgb("#FFF8E1"), rgb("#FFE0B2"), 0.8, clip_bottom=24)


def n_records(c):
    card = c.rrect(2, 6.5, 30, 25.5, 2.5)
    c.shadow(card)
    c.paint(card, P["white"], rgb("#FFF3D6"), outline=P["brown2"], ow=OW)
    c.paint(inter(c.rect(2, 6.5, 30, 10), card), rgb("#FFB74D"), P["orange"], outline=False)
    av = c.circle(9.5, 17.5, 5.2)
    c.paint(av, rgb("#B3E5FC"), rgb("#4FC3F7"), outline=rgb("#0277BD"), ow=0.8)
    # head + shoulders clipped to the avatar circle
    c.paint(inter(union(c.circle(9.5, 15.8, 2.2), c.ellipse(5.5, 18.5, 13.5, 25)), c.circle(9.5, 17.5, 4.9)),
            rgb("#1E88E5"), rgb("#1565C0"), outline=False)
    c.paint(c.line([(17, 14), (26.5, 14)], 2.0), P["ink"], outline=False)
    c.paint(c.line([(17, 18.3), (26, 18.3)], 1.3), rgb("#A1887F"), outline=False)
    c.paint(c.line([(17, 21.8), (23, 21.8)], 1.3), rgb("#A1887F"), outline=False)


def n_search(c):
    handle = c.line([(20, 20), (27.3, 27.3)], 5.0)
    c.shadow(union(handle, c.circle(13, 13, 10)))
    c.paint(handle, rgb("#A1887F"), rgb("#5D4037"), outline=rgb("#3E2723"), ow=OW)
    c.paint(c.circle(13, 13, 10), rgb("#90A4AE"), rgb("#455A64"), outline=rgb("#263238"), ow=OW)
    c.paint(c.circle(13, 13, 7.3), rgb("#E1F5FE"), rgb("#81D4FA"), outline=rgb("#37474F"), ow=0.5)
    c.paint(c.arc(13, 13, 4.8, 195, 265, 1.4), P["white"], outline=False)


def n_media(c):
    strip = c.rrect(3, 4.5, 29, 27.5, 2)
    c.shadow(strip)
    c.paint(strip, rgb("#546E7A"), rgb("#37474F"), outline=rgb("#1C262B"), ow=OW)
    for y in (6.5, 11, 15.5, 20, 24.5):
        for x in (4.6, 25.4):
            c.paint(c.rrect(x, y - 0.1, x + 2.0, y + 1.9, 0.4), rgb("#FFF8E1"), outline=False)
    pic = c.rect(8.5, 7, 23.5, 25)
    c.paint(pic, rgb("#81D4FA"), rgb("#E1F5FE"), outline=False)
    c.paint(inter(c.circle(19.5, 11.5, 2.4), pic), rgb("#FFEE58"), rgb("#FFB300"), outline=False)
    hills = c.poly([(8, 25.5), (8, 19), (12.5, 14.5), (16.5, 19.5), (19.5, 17), (24, 21), (24, 25.5)])
    c.paint(inter(hills, pic), rgb("#9CCC65"), rgb("#33691E"), outline=False)


def n_ideas(c):
    bulb = union(c.circle(16, 12, 8.8), c.poly([(10.2, 16.5), (21.8, 16.5), (19.6, 22.5), (12.4, 22.5)]))
    c.shadow(bulb)
    base = c.rrect(12.2, 21.8, 19.8, 27.2, 1.2)
    c.paint(c.rrect(13.8, 26, 18.2, 29.5, 1.5), rgb("#78909C"), rgb("#455A64"), ow=OW)
    c.paint(base, rgb("#CFD8DC"), rgb("#78909C"), outline=rgb("#37474F"), ow=OW)
    for y in (23.6, 25.4):
        c.paint(c.line([(12.6, y), (19.4, y)], 0.7), rgb("#546E7A"), outline=False)
    c.paint(bulb, rgb("#FFF9C4"), rgb("#FFCA28"), outline=rgb("#A66A00"), ow=OW)
    c.paint(c.line([(13.6, 21.5), (13.6, 17.5), (14.6, 14.5), (16, 17), (17.4, 14.5), (18.4, 17.5),
                    (18.4, 21.5)], 0.9), rgb("#F57C00"), outline=False)
    c.paint(c.arc(16, 12, 6.0, 200, 255, 1.5), P["white"], outline=False, opacity=0.9)


def n_plugins(c):
    m = puzzle_mask(c, 4, 4, 24)
    c.shadow(m)
    c.paint(m, rgb("#AED581"), rgb("#388E3C"), outline=rgb("#1B5E20"), ow=OW)
    c.paint(c.arc(12, 18, 5.5, 190, 260, 1.3), P["white"], outline=False, opacity=0.6)


def n_settings(c):
    c.shadow(c.circle(16, 16, 13))
    gear(c, 16, 16, 13.5, OW, teeth=8)


def badge(c, cx, cy, r, col, col2, glyph, size, ow=OW, font=SANS_BOLD, dy=0.0):
    c.shadow(c.circle(cx, cy, r))
    c.paint(c.circle(cx, cy, r), col, col2, ow=ow)
    c.paint(c.arc(cx, cy, r * 0.8, 200, 260, r * 0.12), P["white"], outline=False, opacity=0.5)
    if glyph:
        c.paint(c.text(glyph, cx, cy + dy, size, font), P["white"], outline=darken(col2, 0.3), ow=ow * 0.5)


def info_glyph(c, cx, cy, r, col2, ow):
    g = union(c.circle(cx, cy - r * 0.48, r * 0.17),
              c.rrect(cx - r * 0.15, cy - r * 0.18, cx + r * 0.15, cy + r * 0.62, r * 0.06),
              c.rrect(cx - r * 0.32, cy - r * 0.18, cx + r * 0.15, cy - r * 0.02, r * 0.04),
              c.rrect(cx - r * 0.32, cy + r * 0.48, cx + r * 0.32, cy + r * 0.64, r * 0.04))
    c.paint(g, P["white"], outline=darken(col2, 0.3), ow=ow * 0.5)


def n_info(c):
    badge(c, 16, 16, 13, rgb("#64B5F6"), rgb("#1565C0"), None, 0)
    info_glyph(c, 16, 16, 13, rgb("#1565C0"), OW)


def n_news(c):
    back = c.rrect(7, 3, 29.5, 26.5, 1.5)
    c.paint(back, P["paper2"], rgb("#D7C8A8"), outline=P["brown2"], ow=OW)
    page = c.rrect(2.5, 5.5, 25, 29, 1.5)
    c.shadow(page)
    c.paint(page, P["white"], rgb("#FFF3D6"), outline=P["brown2"], ow=OW)
    c.paint(c.rect(5, 8, 22.5, 11.4), P["ink"], outline=False)
    c.paint(c.rect(5, 13.5, 12.5, 20.5), rgb("#81D4FA"), rgb("#0288D1"), outline=False)
    for y in (14.3, 17, 19.7):
        c.paint(c.line([(14.5, y), (22.5, y)], 1.1), rgb("#A1887F"), outline=False)
    for y, xe in ((23.2, 22.5), (26.0, 18.5)):
        c.paint(c.line([(5, y), (xe, y)], 1.1), rgb("#A1887F"), outline=False)


def n_weather(c):
    sun = union(c.poly(star_points(12, 12, 10.5, 7.2, 10)),
                c.circle(12, 12, 7.2))
    c.paint(sun, rgb("#FFEE58"), rgb("#FB8C00"), outline=rgb("#B35F00"), ow=OW)
    c.paint(c.circle(12, 12, 5.2), rgb("#FFF59D"), rgb("#FFC107"), outline=False)
    cloud = union(c.circle(14.5, 21.5, 4.6), c.circle(20.5, 17.8, 6.0), c.circle(26, 21.8, 4.0),
                  c.rrect(10, 20, 29.8, 27.5, 3.7))
    c.shadow(cloud)
    c.paint(cloud, P["white"], rgb("#CFD8DC"), outline=rgb("#546E7A"), ow=OW)


def n_resources(c):
    c.shadow(c.circle(16, 16, 13))
    globe(c, 16, 16, 13, OW, 0.9)


def n_help(c):
    badge(c, 16, 16, 13, rgb("#B39DDB"), rgb("#5E35B1"), "?", 20, dy=0.8)


def n_support(c):
    ring = c.ring(16, 16, 13.2, 6.6)
    c.shadow(ring)
    c.paint(ring, P["white"], rgb("#ECEFF1"), outline=rgb("#8E2C2C"), ow=OW)
    for a in (45, 135, 225, 315):
        w = 24
        pts = [(16, 16)] + [(16 + 15 * math.cos(math.radians(t)), 16 + 15 * math.sin(math.radians(t)))
                            for t in (a - w, a - w / 2, a, a + w / 2, a + w)]
        c.paint(inter(ring, c.poly(pts)), rgb("#EF5350"), rgb("#C62828"), outline=False)
    c.paint(c.arc(16, 16, 10, 0, 360, 0.6), rgb("#8E2C2C"), outline=False, opacity=0.35)


def n_newversions(c):
    badge(c, 16, 16, 13, rgb("#81C784"), rgb("#2E7D32"), None, 0)
    c.paint(arrow_mask(c, 16, 24, 7, 5.0, 13, 7.0), P["white"], outline=rgb("#1B5E20"), ow=0.6)


def n_plugins_dl(c):
    m = puzzle_mask(c, 2.5, 2, 20)
    c.shadow(m)
    c.paint(m, rgb("#AED581"), rgb("#388E3C"), outline=rgb("#1B5E20"), ow=OW)
    c.paint(c.circle(23, 23, 8.0), rgb("#64B5F6"), rgb("#1565C0"), outline=rgb("#0D3C73"), ow=OW)
    c.paint(arrow_mask(c, 23, 17.5, 28.5, 3.2, 8.4, 4.4), P["white"], outline=rgb("#0D3C73"), ow=0.5)


def n_website(c):
    walls = c.rect(6.5, 13.5, 25.5, 28.5)
    chimney = c.rect(20.5, 4.5, 24, 11)
    roof = c.poly([(16, 3.0), (30.5, 15.5), (1.5, 15.5)])
    c.shadow(union(walls, roof))
    c.paint(chimney, rgb("#A1887F"), rgb("#6D4C41"), outline=rgb("#3E2723"), ow=OW)
    c.paint(walls, rgb("#FFF8E1"), rgb("#FFE0B2"), outline=P["brown2"], ow=OW)
    c.paint(roof, rgb("#FF8A65"), rgb("#D84315"), outline=rgb("#7F2A0E"), ow=OW)
    c.paint(c.rrect(13.3, 19.5, 18.7, 28.5, 1.2), rgb("#A1887F"), rgb("#6D4C41"), outline=rgb("#3E2723"), ow=0.8)
    c.paint(c.circle(17.3, 24.3, 0.6), rgb("#FFD54F"), outline=False)
    for x in (8.8, 20.8):
        c.paint(c.rrect(x, 17.5, x + 3.4, 21, 0.5), rgb("#B3E5FC"), rgb("#4FC3F7"), outline=rgb("#01579B"),
                ow=0.6)


def pen(c, tip, end, width, ow, body=None, body2=None):
    tx, ty = tip
    ex, ey = end
    L = math.hypot(ex - tx, ey - ty)
    ux, uy = (ex - tx) / L, (ey - ty) / L
    nx, ny = -uy, ux
    nib_len = width * 1.6
    bx, by = tx + ux * nib_len, ty + uy * nib_len
    nib = c.poly([(tx, ty), (bx + nx * width / 2, by + ny * width / 2), (bx - nx * width / 2, by - ny * width / 2)])
    bodym = c.line([(bx + ux * width * 0.3, by + uy * width * 0.3), (ex, ey)], width)
    c.paint(nib, rgb("#FFE082"), rgb("#FFA000"), outline=rgb("#8D5A00"), ow=ow)
    c.paint(bodym, body or rgb("#64B5F6"), body2 or rgb("#1565C0"), outline=rgb("#0D3C73"), ow=ow,
            direction="h")
    band = c.line([(bx + ux * width * 0.3, by + uy * width * 0.3),
                   (bx + ux * width * 0.9, by + uy * width * 0.9)], width * 1.0, round_caps=False)
    c.paint(inter(band, bodym), rgb("#CFD8DC"), outline=False)


def n_letter(c):
    paper = c.rrect(3.5, 3, 22.5, 29, 1.5)
    c.shadow(paper)
    c.paint(paper, P["white"], rgb("#FFF3D6"), outline=P["brown2"], ow=OW)
    for y, xe in ((8, 19.5), (11.5, 19.5), (15, 17), (18.5, 19.5), (22, 13)):
        c.paint(c.line([(6.5, y), (xe, y)], 1.1), rgb("#A1887F"), outline=False)
    pen(c, (15.5, 25.5), (28.5, 6.5), 4.0, OW)


NODE_ICONS = {
    "everyday": n_everyday, "calendar": n_calendar, "mail": n_mail, "passwords": n_passwords,
    "diary": n_diary, "notes": n_notes, "schedule": n_schedule, "reminders": n_reminders,
    "tasks": n_tasks, "addressbook": n_addressbook, "records": n_records, "search": n_search,
    "media": n_media, "ideas": n_ideas, "plugins": n_plugins, "settings": n_settings,
    "info": n_info, "news": n_news, "weather": n_weather, "resources": n_resources,
    "help": n_help, "support": n_support, "newversions": n_newversions,
    "plugins_dl": n_plugins_dl, "website": n_website, "letter": n_letter,
}


# ---------------------------------------------------------------------------
# menu icons, 16x16, design grid 16 (drawn at 64 px)
# ---------------------------------------------------------------------------
MW = 0.85


def m_delete_profile(c):
    person(c, 6.8, 1.2, 10.5, rgb("#64B5F6"), rgb("#1565C0"), MW, clip_bottom=14.8)
    x = union(c.line([(10.3, 9.3), (14.7, 13.7)], 2.3), c.line([(14.7, 9.3), (10.3, 13.7)], 2.3))
    c.paint(x, rgb("#F44336"), rgb("#C62828"), outline=rgb("#FFFFFF"), ow=0.9)
    c.paint(x, rgb("#F44336"), rgb("#C62828"), outline=rgb("#7F1010"), ow=0.0)


def m_tray(c):
    win = c.rrect(1.2, 1.2, 11.5, 9.5, 1.0)
    c.paint(win, P["white"], rgb("#E3F2FD"), outline=rgb("#0D3C73"), ow=MW)
    c.paint(inter(c.rect(1.2, 1.2, 11.5, 3.8), win), rgb("#64B5F6"), rgb("#1E88E5"), outline=False)
    c.paint(c.rrect(1.0, 13.0, 15.0, 15.2, 0.8), rgb("#90A4AE"), rgb("#455A64"), outline=rgb("#263238"), ow=MW)
    c.paint(arrow_mask(c, 12.5, 5.0, 12.6, 2.6, 6.0, 3.4), rgb("#66BB6A"), rgb("#2E7D32"),
            outline=rgb("#1B5E20"), ow=MW)


def m_exit(c):
    frame = c.rect(1.5, 1.0, 9.5, 15.0)
    c.paint(frame, rgb("#D7CCC8"), rgb("#A1887F"), outline=rgb("#3E2723"), ow=MW)
    door = c.poly([(2.3, 1.8), (7.8, 3.0), (7.8, 15.6), (2.3, 14.2)])
    c.paint(door, rgb("#A1887F"), rgb("#5D4037"), outline=rgb("#3E2723"), ow=MW * 0.7)
    c.paint(c.circle(6.6, 9.0, 0.6), rgb("#FFD54F"), outline=False)
    arrow = union(c.rect(7.5, 6.8, 11.5, 9.6), c.poly([(11.0, 4.2), (15.3, 8.2), (11.0, 12.2)]))
    c.paint(arrow, rgb("#66BB6A"), rgb("#2E7D32"), outline=rgb("#1B5E20"), ow=MW)


def m_cut(c):
    b1 = c.poly([(4.6, 10.0), (10.9, 0.6), (12.3, 1.6), (7.6, 10.8)])
    b2 = c.poly([(11.4, 10.0), (5.1, 0.6), (3.7, 1.6), (8.4, 10.8)])
    c.paint(b1, rgb("#ECEFF1"), rgb("#90A4AE"), outline=rgb("#37474F"), ow=MW * 0.8)
    c.paint(b2, rgb("#ECEFF1"), rgb("#90A4AE"), outline=rgb("#37474F"), ow=MW * 0.8)
    c.paint(c.circle(8, 7.4, 0.8), rgb("#37474F"), outline=False)
    for cx in (4.3, 11.7):
        c.paint(c.ring(cx, 12.4, 3.0, 1.5), rgb("#EF5350"), rgb("#C62828"), outline=rgb("#7F1010"), ow=MW)


def doc(c, x0, y0, x1, y1, ow, fold=0.0, lines=3, line_col=None, lw=1.0):
    if fold:
        m = c.poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    else:
        m = c.rrect(x0, y0, x1, y1, 0.8)
    c.paint(m, P["white"], rgb("#FFF3D6"), outline=P["brown2"], ow=ow)
    if fold:
        c.paint(c.poly([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), rgb("#FFE0B2"),
                outline=P["brown2"], ow=ow * 0.7)
    top = y0 + max(fold, 0) + (y1 - y0) * 0.12 if fold else y0 + (y1 - y0) * 0.25
    gap = (y1 - top - 1.4) / max(1, lines)
    for i in range(lines):
        y = top + gap * (i + 0.5)
        xe = x1 - 1.5 - (1.6 if i == lines - 1 else 0)
        c.paint(c.line([(x0 + 1.6, y), (xe, y)], lw), line_col or rgb("#5C8DC4"), outline=False)


def m_copy(c):
    doc(c, 1.2, 1.0, 9.8, 11.5, MW, lines=3)
    doc(c, 6.0, 4.5, 14.8, 15.0, MW, lines=3)


def m_paste(c):
    board = c.rrect(1.5, 2.2, 14.5, 15.3, 1.3)
    c.paint(board, rgb("#FFB74D"), rgb("#E65100"), outline=rgb("#6E2E00"), ow=MW)
    c.paint(c.rect(3.8, 5.0, 12.2, 13.8), P["white"], outline=rgb("#8D6E63"), ow=0.4)
    for y in (7.3, 9.5, 11.7):
        c.paint(c.line([(5.2, y), (10.8, y)], 0.95), rgb("#5C8DC4"), outline=False)
    c.paint(c.rrect(5.0, 0.8, 11.0, 4.2, 1.0), rgb("#ECEFF1"), rgb("#78909C"), outline=rgb("#263238"), ow=MW)


def m_date(c):
    body = c.rrect(1.3, 2.3, 14.7, 15.0, 1.4)
    c.paint(body, P["white"], rgb("#FFF3D6"), outline=rgb("#5D4037"), ow=MW)
    c.paint(inter(c.rect(1.3, 2.3, 14.7, 6.2), body), rgb("#EF5350"), rgb("#C62828"), outline=False)
    for x in (4.8, 11.2):
        c.paint(c.rrect(x - 0.8, 0.6, x + 0.8, 4.0, 0.8), rgb("#ECEFF1"), outline=rgb("#37474F"), ow=0.6)
    for r_, y in enumerate((7.6, 10.9)):
        for k, x in enumerate((3.2, 6.6, 10.0)):
            col = rgb("#FF7043") if (r_, k) == (1, 1) else rgb("#A1887F")
            c.paint(c.rect(x, y, x + 2.4, y + 2.2), col, outline=False)


def m_time(c):
    clock(c, 8, 8, 7.0, MW, ticks=False)


def m_textfile(c):
    doc(c, 2.2, 0.8, 13.8, 15.2, MW, fold=4.0, lines=4, line_col=rgb("#6D5A50"), lw=1.05)


def m_help_topic(c):
    c.paint(c.circle(8, 8, 7.0), rgb("#B39DDB"), rgb("#5E35B1"), ow=MW)
    c.paint(c.text("?", 8, 8.6, 11.5), P["white"], outline=darken(rgb("#5E35B1"), 0.3), ow=0.4)


def m_help_contents(c):
    pages = c.rrect(4.0, 2.0, 14.5, 15.0, 0.8)
    c.paint(pages, P["white"], rgb("#FFF3D6"), outline=rgb("#5D4037"), ow=MW)
    cover = c.rrect(1.5, 1.0, 12.5, 14.0, 1.2)
    c.paint(cover, rgb("#64B5F6"), rgb("#1565C0"), outline=rgb("#0D3C73"), ow=MW)
    c.paint(c.rect(1.8, 1.3, 3.8, 13.7), rgb("#0D47A1"), outline=False, opacity=0.6)
    c.paint(c.rect(5.5, 3.6, 10.5, 6.0), rgb("#FFF8E1"), outline=False)


def m_about(c):
    c.paint(c.circle(8, 8, 7.0), rgb("#64B5F6"), rgb("#1565C0"), ow=MW)
    info_glyph(c, 8, 8, 7.2, rgb("#1565C0"), MW)


MENU_ICONS = {
    "delete_profile": m_delete_profile, "tray": m_tray, "exit": m_exit, "cut": m_cut,
    "copy": m_copy, "paste": m_paste, "date": m_date, "time": m_time, "textfile": m_textfile,
    "help_topic": m_help_topic, "help_contents": m_help_contents, "about": m_about,
}


# ---------------------------------------------------------------------------
# note icons and tray timer icons
# ---------------------------------------------------------------------------
def note_icon(size):
    c = Canvas(size, grid=size)
    if size >= 32:
        m = size / 48.0
        sticky_note(c, 5 * m, 4 * m, 43 * m, 44 * m, 11 * m, 1.3 * m, lines=4, line_w=2.0 * m)
        # a small red pin holding the note
        c.paint(c.circle(24 * m, 6.5 * m, 3.3 * m), rgb("#EF5350"), rgb("#B71C1C"), outline=rgb("#5A0F0F"),
                ow=1.0 * m)
        c.paint(c.circle(23 * m, 5.5 * m, 1.0 * m), P["white"], outline=False, opacity=0.8)
    else:
        sticky_note(c, 1.2, 1.2, 14.8, 14.8, 4.2, 0.85, lines=3, line_w=1.0, shadow=False)
    return c.result()


def kettle(c):
    ow = c.ow
    red, red2, redo = rgb("#EF5350"), rgb("#B71C1C"), rgb("#6B1414")
    # handle arching over the lid
    c.paint(c.arc(18, 15.5, 9.5, 208, 332, 1.8), rgb("#8D6E63"), rgb("#5D4037"), outline=rgb("#3E2723"), ow=ow)
    # spout
    spout = c.poly([(10.5, 24.5), (3.2, 13.8), (5.6, 12.6), (12.5, 19.0)])
    c.paint(spout, red, red2, outline=redo, ow=ow)
    # dome-shaped body
    left = bezier((12.0, 13.2), (7.0, 14.5), (6.0, 28.5), n=20)
    right = [(36 - x, y) for (x, y) in reversed(left)]
    body = c.poly(left + right)
    c.paint(body, red, red2, outline=redo, ow=ow)
    c.paint(c.line([(11.0, 17.5), (9.2, 23.5)], 1.5), P["white"], outline=False, opacity=0.65)
    c.paint(c.rrect(5.5, 26.6, 30.5, 29.6, 1.5), rgb("#8D6E63"), rgb("#5D4037"), outline=rgb("#3E2723"),
            ow=ow * 0.8)
    # lid and knob
    c.paint(c.ellipse(12.0, 11.6, 24.0, 15.0), rgb("#E57373"), rgb("#C62828"), outline=redo, ow=ow)
    c.paint(c.circle(18, 10.6, 1.8), rgb("#FFF8E1"), rgb("#D7B98E"), outline=rgb("#3E2723"), ow=ow * 0.8)
    # steam from the spout
    for x0, ph, n in ((3.6, 0.0, 9), (7.4, 2.2, 7)):
        pts = [(x0 + 1.1 * math.sin(ph + i * 0.75), 11.2 - i * 1.05) for i in range(n)]
        c.paint(c.line(pts, 1.3), P["white"], outline=rgb("#90A4AE"), ow=ow * 0.6)


def hourglass(c):
    ow = c.ow
    left = bezier((9.0, 6.0), (8.4, 13.0), (15.0, 15.4), n=20) + [(15.0, 16.6)] + \
        bezier((15.0, 16.6), (8.4, 19.0), (9.0, 26.0), n=20)
    right = [(32 - x, y) for (x, y) in reversed(left)]
    glass = c.poly(left + right)
    c.paint(glass, rgb("#E1F5FE"), rgb("#B3E5FC"), outline=rgb("#0277BD"), ow=ow)
    sand_top = inter(glass, c.poly([(0, 11.5), (32, 11.5), (32, 16), (0, 16)]))
    c.paint(sand_top, rgb("#FFD54F"), rgb("#FF8F00"), outline=False)
    mound = c.poly([(8, 26.2), (24, 26.2), (21.5, 23.0), (16, 20.0), (10.5, 23.0)])
    c.paint(inter(glass, mound), rgb("#FFD54F"), rgb("#FF8F00"), outline=False)
    c.paint(c.line([(16, 15.5), (16, 22.5)], 0.9), rgb("#FF8F00"), outline=False)
    c.paint(c.line([(10.8, 8.5), (11.3, 11.5)], 1.0), P["white"], outline=False, opacity=0.9)
    for x in (7.0, 25.0):
        c.paint(c.rrect(x - 1.1, 4, x + 1.1, 28, 0.8), rgb("#A1887F"), rgb("#6D4C41"), outline=rgb("#3E2723"),
                ow=ow * 0.8)
    for y0 in (2.0, 26.5):
        c.paint(c.rrect(4.5, y0, 27.5, y0 + 3.5, 1.5), rgb("#A1887F"), rgb("#5D4037"), outline=rgb("#3E2723"),
                ow=ow)


def cake(c):
    """Birthday cake with three candles, for the birthday reminder window."""
    ow = c.ow
    plate = c.ellipse(2.5, 26.0, 29.5, 30.0)
    c.paint(plate, rgb("#ECEFF1"), rgb("#B0BEC5"), outline=rgb("#546E7A"), ow=ow)
    tier = c.rrect(5.0, 17.0, 27.0, 28.0, 2.0)
    c.shadow(tier)
    c.paint(tier, rgb("#F8BBD0"), rgb("#EC407A"), outline=rgb("#880E4F"), ow=ow)
    top = c.rrect(8.0, 11.5, 24.0, 18.5, 1.8)
    c.paint(top, rgb("#FFF3E0"), rgb("#FFCC80"), outline=rgb("#8D6E63"), ow=ow)
    # cream drips along the lower tier's edge
    drips = [(5.0, 17.0), (27.0, 17.0), (27.0, 19.5)]
    for i in range(7, -1, -1):
        x = 5.0 + i * 2.75
        drips.append((x + 1.4, 21.0 if i % 2 else 20.0))
        drips.append((x, 19.0))
    c.paint(inter(c.poly(drips), tier), rgb("#FFFFFF"), rgb("#FCE4EC"), outline=False)
    for x, col in ((11.0, "#4FC3F7"), (16.0, "#FFD54F"), (21.0, "#81C784")):
        c.paint(c.rrect(x - 0.9, 5.5, x + 0.9, 12.0, 0.5), rgb(col), darken(rgb(col), 0.3),
                outline=rgb("#37474F"), ow=ow * 0.7)
        flame = c.poly(bezier((x, 1.2), (x + 2.4, 4.2), (x, 5.4), n=12) +
                       bezier((x, 5.4), (x - 2.4, 4.2), (x, 1.2), n=12))
        c.paint(flame, rgb("#FFF59D"), rgb("#FF9800"), outline=rgb("#E65100"), ow=ow * 0.6)
    for x, y in ((9.0, 24.0), (14.5, 25.0), (20.0, 24.0), (24.5, 25.0)):
        c.paint(c.circle(x, y, 0.9), rgb("#FFFFFF"), outline=False, opacity=0.9)


def birthday_icon(size):
    c = Canvas(size, grid=32)
    c.ow = 0.8
    cake(c)
    return c.result()


def tray_icon(draw, size):
    c = Canvas(size, grid=32)
    # keep outlines about one output pixel regardless of size
    c.ow = max(0.75, 32.0 / size * 0.9) if size < 48 else 0.8
    if size <= 16:
        c.ow = 1.6
    draw(c)
    return c.result()


def render_node(name, size=32):
    c = Canvas(size, grid=32)
    NODE_ICONS[name](c)
    return c.result()


def render_menu(name):
    c = Canvas(16, grid=16)
    MENU_ICONS[name](c)
    return c.result()


# ---------------------------------------------------------------------------
# password bank: the lock button's padlock and the set-up window's pictures
# ---------------------------------------------------------------------------
def padlock(c):
    """Padlock on a 32 grid: steel shackle over a brass body with a keyhole."""
    shackle = sub(c.rrect(9, 3, 23, 20, 7), c.rrect(12.2, 6.2, 19.8, 20, 4))
    shackle = inter(shackle, c.rect(8, 2, 24, 16))
    c.shadow(shackle)
    c.paint(shackle, rgb("#ECEFF1"), rgb("#90A4AE"), outline=rgb("#37474F"), ow=OW)
    body = c.rrect(6, 14, 26, 29.5, 2.5)
    c.shadow(body)
    c.paint(body, rgb("#FFE082"), rgb("#FFA000"), outline=rgb("#8D5A00"), ow=OW)
    c.paint(c.line([(8.5, 16.5), (23.5, 16.5)], 1.0), P["white"], outline=False, opacity=0.6)
    hole = union(c.circle(16, 20.5, 2.2), c.poly([(14.9, 21.5), (17.1, 21.5), (17.9, 26.5), (14.1, 26.5)]))
    c.paint(hole, rgb("#5D4037"), outline=False)


def safe(c):
    """A small strongbox with a dial, 32 grid (drawn large for the window)."""
    box = c.rrect(3, 4, 29, 28, 2.5)
    c.shadow(box)
    c.paint(box, rgb("#90A4AE"), rgb("#546E7A"), outline=rgb("#263238"), ow=OW)
    door = c.rrect(5.5, 6.5, 26.5, 25.5, 1.5)
    c.paint(door, rgb("#B0BEC5"), rgb("#78909C"), outline=rgb("#37474F"), ow=0.8)
    for y in (9.5, 22.5):
        c.paint(c.rrect(3.2, y - 1.4, 6.2, y + 1.4, 0.6), rgb("#455A64"), outline=False)
    dial = c.circle(17, 16, 5.5)
    c.paint(dial, rgb("#ECEFF1"), rgb("#B0BEC5"), outline=rgb("#37474F"), ow=0.8)
    for k in range(12):
        a = math.radians(k * 30)
        x0, y0 = 17 + 4.3 * math.cos(a), 16 + 4.3 * math.sin(a)
        x1, y1 = 17 + 5.1 * math.cos(a), 16 + 5.1 * math.sin(a)
        c.paint(c.line([(x0, y0), (x1, y1)], 0.45), rgb("#37474F"), outline=False)
    c.paint(c.circle(17, 16, 2.1), rgb("#FFC107"), rgb("#FF8F00"), outline=rgb("#8D5A00"), ow=0.6)
    c.paint(c.line([(17, 16), (17, 11.6)], 0.9), rgb("#8D5A00"), outline=False)
    c.paint(c.line([(8.5, 26), (8.5, 28.8)], 1.6), rgb("#263238"), outline=False)
    c.paint(c.line([(23.5, 26), (23.5, 28.8)], 1.6), rgb("#263238"), outline=False)


def keys(c):
    """Two crossed keys on a ring, 32 grid."""
    ring = sub(c.circle(9, 9, 5.5), c.circle(9, 9, 4.2))
    c.paint(ring, rgb("#CFD8DC"), rgb("#78909C"), outline=rgb("#37474F"), ow=0.7)
    for head, tip, col, col2, out in (((11, 12), (27, 28), "#FFE082", "#FFA000", "#8D5A00"),
                                      ((13, 9.5), (28.5, 17), "#B3E5FC", "#4FC3F7", "#01579B")):
        hx, hy = head
        tx, ty = tip
        dx, dy = tx - hx, ty - hy
        n = math.hypot(dx, dy)
        ux, uy = dx / n, dy / n
        px, py = -uy, ux
        bow = sub(c.circle(hx + ux * 3, hy + uy * 3, 4.2), c.circle(hx + ux * 3, hy + uy * 3, 1.6))
        shaft = c.line([(hx + ux * 6.5, hy + uy * 6.5), (tx, ty)], 2.6)
        bits = union(
            c.line([(tx - ux * 2.5, ty - uy * 2.5), (tx - ux * 2.5 + px * 3.2, ty - uy * 2.5 + py * 3.2)], 2.0,
                   round_caps=False),
            c.line([(tx - ux * 6, ty - uy * 6), (tx - ux * 6 + px * 2.4, ty - uy * 6 + py * 2.4)], 2.0,
                   round_caps=False))
        key = union(bow, shaft, bits)
        c.shadow(key)
        c.paint(key, rgb(col), rgb(col2), outline=rgb(out), ow=OW)


VAULT_PICTURES = {"padlock": (padlock, 24), "safe": (safe, 96), "keys": (keys, 96)}


def render_vault(name):
    draw, size = VAULT_PICTURES[name]
    c = Canvas(size, grid=32)
    draw(c)
    return c.result()
