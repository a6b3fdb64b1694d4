#!/usr/bin/python3
"""Draws the pictures the manager carries and writes them into assets/.

Run with the system Python (python3-pil): /usr/bin/python3 scripts/make-assets.py
The outputs are committed, so the build never needs Python.
"""

import math
import os
import struct
import io

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "assets")

FONT_DIR = "/usr/share/fonts/truetype/liberation"
BLUE = (20, 70, 150, 255)
LIGHT_BLUE = (90, 150, 220, 255)
GREY = (120, 120, 120, 255)
DARK = (45, 45, 50, 255)


def font(size, bold=True):
    name = "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf"
    try:
        return ImageFont.truetype(os.path.join(FONT_DIR, name), size)
    except OSError:
        return ImageFont.load_default()


def centred_text(draw, box, text, fnt, fill):
    left, top, right, bottom = box
    bbox = draw.textbbox((0, 0), text, font=fnt)
    w, h = bbox[2] - bbox[0], bbox[3] - bbox[1]
    x = left + (right - left - w) / 2 - bbox[0]
    y = top + (bottom - top - h) / 2 - bbox[1]
    draw.text((x, y), text, font=fnt, fill=fill)


YELLOW = (255, 210, 40, 255)


def logo_polygons(cx, cy, r):
    """A shield with a lightning bolt: the protected-area mark of the tester."""
    shield = [(cx - r, cy - r), (cx + r, cy - r), (cx + r, cy + r * 0.2),
              (cx, cy + r * 1.2), (cx - r, cy + r * 0.2)]
    bolt = [(cx + r * 0.15, cy - r * 0.8), (cx - r * 0.45, cy + r * 0.1),
            (cx - r * 0.05, cy + r * 0.1), (cx - r * 0.2, cy + r * 0.95),
            (cx + r * 0.45, cy - r * 0.15), (cx + r * 0.05, cy - r * 0.15)]
    return [(shield, BLUE), (bolt, YELLOW)]


def draw_logo(draw, cx, cy, r):
    for points, fill in logo_polygons(cx, cy, r):
        draw.polygon(points, fill=fill)


def splash():
    img = Image.new("RGBA", (300, 150), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((2, 2, 297, 147), radius=14, fill=(255, 255, 255, 255),
                        outline=BLUE, width=3)
    draw_logo(d, 48, 52, 26)
    d.text((88, 26), "Brontel NXA", font=font(28), fill=BLUE)
    d.text((90, 60), "Manager", font=font(18, bold=False), fill=DARK)
    d.line((20, 88, 280, 88), fill=LIGHT_BLUE, width=2)
    # The spinner is drawn at 225, 90 over this picture; keep the caption left of it.
    d.text((24, 104), "Loading...", font=font(16), fill=GREY)
    img.save(os.path.join(OUT, "splash.png"))


def spinner():
    dots = 8
    for frame in range(dots):
        img = Image.new("RGBA", (49, 50), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        cx, cy, ring, dot = 24.5, 25, 17, 4.5
        for i in range(dots):
            angle = -math.pi / 2 + i * 2 * math.pi / dots
            x, y = cx + ring * math.cos(angle), cy + ring * math.sin(angle)
            # The highlighted dot moves one step clockwise per frame; the two
            # behind it fade out as a tail.
            behind = (frame - i) % dots
            if behind == 0:
                fill, r = BLUE, dot + 1
            elif behind == 1:
                fill, r = LIGHT_BLUE, dot
            elif behind == 2:
                fill, r = (160, 195, 235, 255), dot
            else:
                fill, r = (205, 205, 210, 255), dot - 0.5
            d.ellipse((x - r, y - r, x + r, y + r), fill=fill)
        img.save(os.path.join(OUT, "spinner%d.png" % frame))


def tester_drawing(width, height, background):
    """The tester: a wall box with a display, keypad, fingerprint reader and
    the foot plate in front of it."""
    img = Image.new("RGB", (width, height), background)
    d = ImageDraw.Draw(img)
    s = height / 256.0
    ox = (width - 400 * s) / 2

    def P(x, y):
        return (ox + x * s, y * s)

    def R(x0, y0, x1, y1):
        return (*P(x0, y0), *P(x1, y1))

    # Foot plate.
    d.polygon([P(95, 215), P(305, 215), P(345, 250), P(55, 250)], fill=(70, 70, 75))
    d.polygon([P(110, 219), P(196, 219), P(190, 245), P(80, 245)], fill=(150, 150, 160))
    d.polygon([P(204, 219), P(290, 219), P(320, 245), P(210, 245)], fill=(150, 150, 160))
    # Column.
    d.rectangle(R(188, 150, 212, 216), fill=(90, 90, 95))
    # Housing.
    d.rounded_rectangle(R(120, 10, 280, 160), radius=int(12 * s), fill=(230, 232, 236),
                        outline=(80, 80, 90), width=max(1, int(2 * s)))
    d.rectangle(R(120, 10, 280, 34), fill=(20, 70, 150))
    d.text(P(132, 15), "Brontel NXA", font=font(int(14 * s)), fill=(255, 255, 255))
    # Display.
    d.rectangle(R(135, 42, 265, 78), fill=(25, 35, 30), outline=(60, 60, 60))
    d.text(P(142, 48), "PASS  WS 850k", font=font(int(11 * s), bold=False),
           fill=(120, 255, 140))
    d.text(P(142, 62), "L+R  1.2M", font=font(int(11 * s), bold=False), fill=(120, 255, 140))
    # Keypad.
    for row in range(4):
        for col in range(3):
            x, y = 138 + col * 22, 86 + row * 16
            d.rounded_rectangle(R(x, y, x + 18, y + 12), radius=int(3 * s),
                                fill=(250, 250, 250), outline=(120, 120, 130))
    # Fingerprint reader.
    d.rounded_rectangle(R(215, 90, 262, 146), radius=int(8 * s), fill=(60, 60, 70))
    for k in range(4):
        e = 4 + k * 4
        d.arc(R(238 - e, 118 - e, 238 + e, 118 + e), 200, 340, fill=(150, 200, 255),
              width=max(1, int(s)))
    # Wrist strap socket and status lamps.
    d.ellipse(R(128, 146, 138, 156), fill=(200, 40, 40))
    d.ellipse(R(262, 146, 272, 156), fill=(40, 180, 60))
    return img


def product():
    tester_drawing(400, 256, (255, 255, 255)).save(
        os.path.join(OUT, "product.jpg"), quality=90)


def operation():
    img = Image.new("RGB", (400, 201), (255, 255, 255))
    tester = tester_drawing(int(400 * 190 / 256), 190, (255, 255, 255))
    img.paste(tester, (-40, 5))
    d = ImageDraw.Draw(img)
    # A computer on the right, linked by a network cable.
    d.rounded_rectangle((255, 40, 385, 125), radius=6, fill=(60, 65, 75))
    d.rectangle((263, 48, 377, 117), fill=(210, 230, 250))
    d.text((272, 72), "NXA Manager", font=font(14), fill=BLUE)
    d.rectangle((310, 125, 330, 145), fill=(90, 90, 95))
    d.rectangle((285, 145, 355, 152), fill=(90, 90, 95))
    for x in range(200, 255, 10):
        d.line((x, 90, x + 5, 90), fill=BLUE, width=3)
    d.text((196, 160), "TCP/IP", font=font(13), fill=GREY)
    img.save(os.path.join(OUT, "operation.png"))


def ico_entry(img):
    """One 32-bit BMP image of an ICO file: BGRA rows bottom-up, then the AND mask."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    px = img.load()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            pixels += bytes((b, g, r, a))
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def tray():
    sizes = [64, 32, 24, 16]
    entries = []
    for size in sizes:
        big = Image.new("RGBA", (256, 256), (0, 0, 0, 0))
        d = ImageDraw.Draw(big)
        draw_logo(d, 128, 112, 100)
        entries.append(ico_entry(big.resize((size, size), Image.LANCZOS)))
    out = io.BytesIO()
    out.write(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, entries):
        out.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset))
        offset += len(data)
    for data in entries:
        out.write(data)
    with open(os.path.join(OUT, "tray.ico"), "wb") as f:
        f.write(out.getvalue())


# The application icon of the desktop (menu, dock, software centre): the
# tray's shield on the white, blue-edged card of the splash picture. One
# drawing on a 256-unit grid gives both the SVG and every PNG size.
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
ICON_CARD = (20, 20, 236, 236)
ICON_CARD_RADIUS = 44
ICON_CARD_EDGE = 12


def icon_png(size):
    scale = 4  # drawn large, then shrunk: smooth edges at every size
    big = Image.new("RGBA", (256 * scale, 256 * scale), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.rounded_rectangle([c * scale for c in ICON_CARD], radius=ICON_CARD_RADIUS * scale,
                        fill=(255, 255, 255, 255), outline=BLUE, width=ICON_CARD_EDGE * scale)
    for points, fill in logo_polygons(128 * scale, 114 * scale, 72 * scale):
        d.polygon(points, fill=fill)
    return big.resize((size, size), Image.LANCZOS)


def svg_colour(rgba):
    return "#%02x%02x%02x" % rgba[:3]


def icon_svg():
    left, top, right, bottom = ICON_CARD
    half = ICON_CARD_EDGE / 2
    # PIL draws the outline inside the box; an SVG stroke is centred on it.
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
        'viewBox="0 0 256 256">',
        '  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="#ffffff" '
        'stroke="%s" stroke-width="%g"/>' % (
            left + half, top + half, right - left - 2 * half, bottom - top - 2 * half,
            ICON_CARD_RADIUS - half, svg_colour(BLUE), ICON_CARD_EDGE),
    ]
    for points, fill in logo_polygons(128, 114, 72):
        lines.append('  <polygon points="%s" fill="%s"/>' % (
            " ".join("%g,%g" % (round(x, 2), round(y, 2)) for x, y in points),
            svg_colour(fill)))
    lines += ["</svg>", ""]
    return "\n".join(lines)


def desktop_icons():
    folder = os.path.join(OUT, "icons")
    os.makedirs(folder, exist_ok=True)
    for size in ICON_SIZES:
        icon_png(size).save(os.path.join(folder, "nxa-manager-%d.png" % size))
    with open(os.path.join(folder, "nxa-manager.svg"), "w") as f:
        f.write(icon_svg())


def qrc():
    names = ["splash.png"] + ["spinner%d.png" % i for i in range(8)] + [
        "product.jpg", "operation.png", "tray.ico"]
    lines = ["<!DOCTYPE RCC>", "<RCC version=\"1.0\">", "<qresource prefix=\"/assets\">"]
    lines += ["    <file>%s</file>" % n for n in names]
    lines += ["</qresource>", "</RCC>", ""]
    with open(os.path.join(OUT, "assets.qrc"), "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    splash()
    spinner()
    product()
    operation()
    tray()
    desktop_icons()
    qrc()
