#!/usr/bin/python3
"""Regenerate every picture and sound under resources/.

Usage (from the repository root):
    /usr/bin/python3 tools/art/make_art.py [--sheet /tmp/art_sheet.png]

The output is deterministic: all randomness uses fixed seeds and no file
carries a timestamp.
"""

import argparse
import io
import os
import struct
import sys

sys.dont_write_bytecode = True  # keep tools/art free of __pycache__
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from PIL import Image, ImageDraw  # noqa: E402

import chime  # noqa: E402
import emblem  # noqa: E402
import icons  # noqa: E402
import landscapes  # noqa: E402

ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
RES = os.path.join(ROOT, "resources")
ICONS = os.path.join(RES, "icons")
HICOLOR = os.path.join(ROOT, "share", "icons", "hicolor")
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


# ---------------------------------------------------------------------------
# .ico writer: 32-bit BMP entries for small sizes, PNG for 256 px
# ---------------------------------------------------------------------------
def _bmp_entry(img):
    w, h = img.size
    px = img.convert("RGBA").tobytes()
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = px[y * w * 4:(y + 1) * w * 4]
        bgra = bytearray(len(row))
        bgra[0::4], bgra[1::4], bgra[2::4], bgra[3::4] = row[2::4], row[1::4], row[0::4], row[3::4]
        rows.append(bytes(bgra))
    xor = b"".join(rows)
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    alpha = img.convert("RGBA").getchannel("A").tobytes()
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            if alpha[y * w + x] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def write_ico(path, images):
    entries, blobs = [], []
    for img in sorted(images, key=lambda i: i.size[0]):
        w, h = img.size
        if w >= 256:
            buf = io.BytesIO()
            img.save(buf, "PNG", optimize=True)
            data = buf.getvalue()
        else:
            data = _bmp_entry(img)
        entries.append((w, h, data))
    offset = 6 + 16 * len(entries)
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------------------
def save_png(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "PNG", optimize=True)


def contact_sheet(path, groups):
    """All icons scaled up on the cream app background (for eyeballing)."""
    cell = 150
    items = [it for g in groups for it in g]
    cols = 8
    rows = (len(items) + cols - 1) // cols
    sheet = Image.new("RGB", (cols * cell, rows * cell), (255, 248, 225))
    d = ImageDraw.Draw(sheet)
    for k, (name, img) in enumerate(items):
        x, y = (k % cols) * cell, (k // cols) * cell
        scale = max(1, min(4, 110 // img.width))
        big = img.resize((img.width * scale, img.height * scale), Image.NEAREST)
        sheet.paste(big, (x + 5, y + 5), big)
        sheet.paste(img, (x + cell - img.width - 6, y + 5), img)
        d.text((x + 5, y + cell - 18), name, fill=(93, 64, 55))
    sheet.save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sheet", help="also write a contact sheet of all icons to this path")
    args = ap.parse_args()
    sheet = []

    # application icon
    app = {s: emblem.render_app_icon(s) for s in HICOLOR_SIZES}
    # The window's icon set: small files decode quickly at start-up.
    for size in (16, 32, 48, 64, 128):
        save_png(app[size], os.path.join(ICONS, "app_%d.png" % size))
    write_ico(os.path.join(ICONS, "app.ico"), [app[s] for s in (16, 32, 48, 256)])
    # The desktop's menu and launcher take the icon from the hicolor theme,
    # drawn afresh for every size it asks for rather than scaled.
    for size in HICOLOR_SIZES:
        save_png(app[size], os.path.join(HICOLOR, "%dx%d" % (size, size), "apps", "quillarbor.png"))
    sheet.append([("app_32", app[32]), ("app_48", app[48]), ("app_16", app[16])])

    # splash / about picture
    splash = emblem.render_splash("3.2")
    save_png(splash, os.path.join(ICONS, "splash.png"))

    # tree node icons
    group = []
    for name in icons.NODE_ICONS:
        img = icons.render_node(name)
        save_png(img, os.path.join(ICONS, "nodes", name + ".png"))
        group.append((name, img))
    sheet.append(group)

    # menu icons
    group = []
    for name in icons.MENU_ICONS:
        img = icons.render_menu(name)
        save_png(img, os.path.join(ICONS, "menu", name + ".png"))
        group.append(("m:" + name, img))
    sheet.append(group)

    # notes list icons
    nl, ns = icons.note_icon(48), icons.note_icon(16)
    save_png(nl, os.path.join(ICONS, "note_large.png"))
    save_png(ns, os.path.join(ICONS, "note_small.png"))
    group = [("note_large", nl), ("note_small", ns)]

    # timer tray icons
    for name, draw in (("tea", icons.kettle), ("timer", icons.hourglass)):
        imgs = {s: icons.tray_icon(draw, s) for s in (16, 32, 48)}
        write_ico(os.path.join(RES, name + ".ico"), list(imgs.values()))
        save_png(imgs[32], os.path.join(ICONS, name + ".png"))
        group += [(name + "_16", imgs[16]), (name + "_32", imgs[32]), (name + "_48", imgs[48])]
    sheet.append(group)

    # password bank: the lock button and the set-up window
    group = []
    for name in icons.VAULT_PICTURES:
        img = icons.render_vault(name)
        save_png(img, os.path.join(ICONS, "vault", name + ".png"))
        group.append(("v:" + name, img))
    sheet.append(group)

    # birthday reminder picture
    cake = icons.birthday_icon(64)
    save_png(cake, os.path.join(ICONS, "birthday.png"))
    sheet.append([("birthday", cake)])

    # slide pictures
    os.makedirs(os.path.join(RES, "Images"), exist_ok=True)
    for name, scene in landscapes.SCENES.items():
        img = scene()
        img.save(os.path.join(RES, "Images", name + ".jpg"), "JPEG", quality=85, optimize=True)

    # signal sound
    chime.write(os.path.join(RES, "1.wav"))

    if args.sheet:
        contact_sheet(args.sheet, sheet)


if __name__ == "__main__":
    main()
