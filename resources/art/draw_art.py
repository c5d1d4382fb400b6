#!/usr/bin/python3
"""Draws every skin picture of the program and writes resources/art.rc.

Re-run from anywhere with Debian's Pillow (apt-get install python3-pil):
    /usr/bin/python3 resources/art/draw_art.py [--preview /tmp/art-preview]
The outputs (png/, bmp/183.bmp, icon/128.ico, art.rc) are committed, so building never needs this script.
"""
import argparse
import io
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

RESOURCES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
SS = 4  # supersampling factor for shapes; text is rendered at its final size so the hinter keeps it crisp

# One palette for everything: a calm blue accent on white and light grey surfaces, dark grey text.
ACCENT = (46, 120, 235)
ACCENT_HOVER = (84, 148, 245)
ACCENT_PRESSED = (30, 92, 196)
TINT = (234, 242, 254)
TINT_HOVER = (244, 248, 255)
TINT_PRESSED = (212, 227, 251)
DISABLED_FILL = (203, 209, 218)
DISABLED_TEXT = (172, 179, 190)
DISABLED_LINE = (221, 225, 231)
TEXT = (36, 41, 49)
TEXT_MID = (96, 104, 116)
TEXT_LIGHT = (146, 154, 166)
WHITE = (255, 255, 255)
SURFACE_ALT = (246, 248, 251)
BORDER = (225, 230, 237)
BORDER_STRONG = (194, 202, 213)
TITLE_TOP = (60, 136, 246)
TITLE_BOTTOM = (40, 112, 229)
TITLE_HEIGHT = 42
SHADOW = (16, 32, 64)

STATES = ("normal", "hover", "pressed", "disabled")


# ----------------------------------------------------------------------------------------------------------------
# Drawing helpers


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def lighten(c, t):
    return lerp(c, WHITE, t)


def canvas(w, h, colour=None):
    return Image.new("RGBA", (w, h), (colour + (255,)) if colour else (0, 0, 0, 0))


def vgradient(w, h, top, bottom, rows=None):
    """Vertical gradient; `rows` is the height the gradient spans (so a crop of it matches exactly)."""
    rows = rows or h
    im = Image.new("RGBA", (w, h))
    d = ImageDraw.Draw(im)
    for y in range(h):
        d.line((0, y, w, y), fill=lerp(top, bottom, y / max(rows - 1, 1)) + (255,))
    return im


def paint(img, mask, fill, opacity=1.0, at=(0, 0)):
    """Composites `fill` (a colour, or an RGBA image of the mask's size) through the L `mask` onto img at `at`."""
    if isinstance(fill, Image.Image):
        layer = fill.copy()
        alpha = ImageChops.multiply(layer.getchannel("A"), mask)
    else:
        layer = Image.new("RGBA", mask.size, tuple(fill[:3]) + (255,))
        alpha = mask
    if opacity < 1.0:
        alpha = alpha.point(lambda v: round(v * opacity))
    layer.putalpha(alpha)
    full = Image.new("RGBA", img.size, (0, 0, 0, 0))
    full.paste(layer, at)
    img.alpha_composite(full)


class Mask:
    """An antialiased coverage mask: shapes are drawn at SS times the size and boxed down.
    Coordinates are continuous: the pixel (i, j) covers [i, i+1) x [j, j+1)."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.im = Image.new("L", (w * SS, h * SS), 0)
        self.d = ImageDraw.Draw(self.im)

    @staticmethod
    def _box(box):
        x0, y0, x1, y1 = box
        return (round(x0 * SS), round(y0 * SS), round(x1 * SS) - 1, round(y1 * SS) - 1)

    def rrect(self, box, r, value=255):
        b = self._box(box)
        if r <= 0:
            self.d.rectangle(b, fill=value)
        else:
            self.d.rounded_rectangle(b, radius=r * SS, fill=value)
        return self

    def rrect_ring(self, box, r, width):
        self.rrect(box, r)
        x0, y0, x1, y1 = box
        return self.rrect((x0 + width, y0 + width, x1 - width, y1 - width), max(r - width, 0), 0)

    def ellipse(self, cx, cy, rx, ry=None, value=255):
        ry = rx if ry is None else ry
        self.d.ellipse(self._box((cx - rx, cy - ry, cx + rx, cy + ry)), fill=value)
        return self

    def ring(self, cx, cy, r, width):
        self.ellipse(cx, cy, r)
        return self.ellipse(cx, cy, r - width, value=0)

    def polygon(self, pts, value=255):
        self.d.polygon([(x * SS, y * SS) for x, y in pts], fill=value)
        return self

    def line(self, pts, width, value=255, caps=True):
        spts = [(x * SS, y * SS) for x, y in pts]
        self.d.line(spts, fill=value, width=round(width * SS), joint="curve")
        if caps:
            for x, y in (pts[0], pts[-1]):
                self.ellipse(x, y, width / 2, value=value)
        return self

    def arc(self, cx, cy, r, start, end, width, value=255, caps=True):
        self.d.arc(self._box((cx - r - width / 2, cy - r - width / 2, cx + r + width / 2, cy + r + width / 2)),
                   start, end, fill=value, width=round(width * SS))
        if caps:
            for a in (start, end):
                self.ellipse(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)), width / 2,
                             value=value)
        return self

    def done(self):
        return self.im.resize((self.w, self.h), Image.BOX)


_fonts = {}


def font(size):
    if size not in _fonts:
        _fonts[size] = ImageFont.truetype(FONT_FILE, size, index=0)
    return _fonts[size]


def text_mask(text, size, bold=False):
    """Mask of one line of text; returns (mask, pad): the text origin (left, ascender) lies at (pad, pad).
    The font has a single weight: `bold` (True, or a stroke width in pixels) thickens the strokes of a rendering
    at SS times the size before it is boxed down."""
    scale = SS if bold else 1
    f = font(size * scale)
    _, _, r, b = f.getbbox(text)
    pad = 3
    w, h = r + 2 * pad * scale, b + 2 * pad * scale
    w += -w % scale
    h += -h % scale
    m = Image.new("L", (w, h), 0)
    if bold is True:
        bold = 0.5
    stroke = max(1, round(bold * scale)) if bold else 0
    ImageDraw.Draw(m).text((pad * scale, pad * scale), text, font=f, fill=255, stroke_width=stroke, stroke_fill=255)
    if bold:
        m = m.resize((w // scale, h // scale), Image.BOX)
    return m, pad


def draw_text(img, text, size, colour, x=None, y=None, centre=None, bold=False, opacity=1.0, right=None):
    """Draws text either with its line box's top-left at (x, y), its ink box centred on `centre`,
    or its ink box's right edge at `right` and vertical ink centre at y."""
    if not text.strip():
        return x
    m, pad = text_mask(text, size, bold)
    if centre is not None:
        l, t, r, b = m.getbbox()
        at = (round(centre[0] - (l + r) / 2), round(centre[1] - (t + b) / 2))
    elif right is not None:
        l, t, r, b = m.getbbox()
        at = (round(right - r), round(y - (t + b) / 2))
    else:
        at = (x - pad, y - pad)
    paint(img, m, colour, opacity, at)
    return at[0] + m.getbbox()[2]


def text_width(text, size):
    l, _, r, _ = text_mask(text, size)[0].getbbox()
    return r - l


def shadow(img, mask_fn, blur, dy, opacity, colour=SHADOW):
    """Soft shadow from a shape: mask_fn(Mask) draws the shape, which is blurred and moved down by dy."""
    m = Mask(img.width, img.height)
    mask_fn(m)
    sm = m.done()
    sm = sm.transform(sm.size, Image.AFFINE, (1, 0, 0, 0, 1, -dy), resample=Image.BILINEAR)
    if blur > 0:
        sm = sm.filter(ImageFilter.GaussianBlur(blur))
    paint(img, sm, colour, opacity)


# ----------------------------------------------------------------------------------------------------------------
# Frames (layered windows): the picture's alpha is the window's shape and shadow; content windows cover the inside.


def frame_picture(size, inner, blur, dy, opacity, inside=WHITE, ring=38):
    """`inner` is the rectangle the content window covers at scale 1 (left, top, right, bottom)."""
    w, h = size
    img = canvas(w, h)
    shadow(img, lambda m: m.rrect(inner, 2), blur, dy, opacity)
    x0, y0, x1, y1 = inner
    # A hairline just outside the content keeps the window's edge visible on white backgrounds.
    hair = Mask(w, h).rrect((x0 - 1, y0 - 1, x1 + 1, y1 + 1), 1).rrect(inner, 0, 0).done()
    paint(img, hair, SHADOW, ring / 255)
    paint(img, Mask(w, h).rrect(inner, 0).done(), inside)
    return img


def main_frame():  # 139: main window at (3, 2), 800 x 600
    return frame_picture((806, 606), (3, 2, 803, 602), blur=1.6, dy=1, opacity=0.45)


def progress_frame():  # 146: content at (14, 12), 204 x 104
    return frame_picture((232, 132), (14, 12, 218, 116), blur=5, dy=3, opacity=0.42, inside=ACCENT, ring=20)


def prompt_frame():  # 160: drawn stretched to 336 x 156; content at (5, 3), 326 x 146 -> (5, 3)-(325, 143) here
    return frame_picture((330, 150), (5, 3, 325, 143), blur=2.2, dy=1.5, opacity=0.42)


def feedback_frame():  # 177: content at (5, 4), 400 x 468
    return frame_picture((410, 479), (5, 4, 405, 472), blur=2.2, dy=1.5, opacity=0.42)


BALLOON_TIP_X = 62  # over the agreement link, which starts 66 pixels left of the balloon and runs to its right


def balloon():  # 189: white balloon, the pointer in the bottom 18 rows
    w, h = 541, 402
    img = canvas(w, h)
    body = (0, 0, 540, 385)
    tip = [(BALLOON_TIP_X - 15, 384.5), (BALLOON_TIP_X, 399.5), (BALLOON_TIP_X + 15, 384.5)]

    def shape(m, grow=0.0):
        x0, y0, x1, y1 = body
        m.rrect((x0 - grow, y0 - grow, x1 + grow, y1 + grow), 0)
        a, t, b = tip
        m.polygon([(a[0] - grow * 1.4, a[1] - 1), (t[0], t[1] + grow * 1.4), (b[0] + grow * 1.4, b[1] - 1)])

    shadow(img, lambda m: shape(m), 1.0, 1.2, 0.35)
    outline = Mask(w, h)
    shape(outline)
    paint(img, outline.done(), (190, 200, 214))
    inside = Mask(w, h)
    x0, y0, x1, y1 = body
    inside.rrect((x0 + 1, y0 + 1, x1 - 1, y1 - 1), 0)
    a, t, b = tip
    inside.polygon([(a[0] + 1.5, a[1] - 1.5), (t[0], t[1] - 1.5), (b[0] - 1.5, b[1] - 1.5)])
    paint(img, inside.done(), WHITE)
    return img


# ----------------------------------------------------------------------------------------------------------------
# Buttons


BUTTON_STYLES = {
    # fill, border, text per state; None = no border
    "primary": dict(fill=(ACCENT, ACCENT_HOVER, ACCENT_PRESSED, DISABLED_FILL), border=None,
                    text=(WHITE, WHITE, WHITE, WHITE)),
    "outline": dict(fill=(WHITE, TINT_HOVER, TINT_PRESSED, WHITE),
                    border=(BORDER_STRONG, ACCENT_HOVER, ACCENT_PRESSED, DISABLED_LINE),
                    text=(TEXT, ACCENT_HOVER, ACCENT_PRESSED, DISABLED_TEXT)),
    "accent-outline": dict(fill=(WHITE, TINT_HOVER, TINT_PRESSED, WHITE),
                           border=(ACCENT, ACCENT_HOVER, ACCENT_PRESSED, DISABLED_LINE),
                           text=(ACCENT, ACCENT_HOVER, ACCENT_PRESSED, DISABLED_TEXT)),
    "tint": dict(fill=(TINT, TINT_HOVER, TINT_PRESSED, (240, 242, 245)), border=None,
                 text=(ACCENT, ACCENT_HOVER, ACCENT_PRESSED, DISABLED_TEXT)),
}


def button(size, body, radius, style, state, label, text_size, bold=False, lift=0.0, gloss=True):
    """One button state. `body` is the visible shape inside the picture (the rest stays transparent so the
    parent's picture shows through); `lift` > 0 adds a soft accent shadow below filled buttons."""
    w, h = size
    s = STATES.index(state)
    st = BUTTON_STYLES[style]
    img = canvas(w, h)
    x0, y0, x1, y1 = body
    if style == "primary" and lift > 0 and state != "disabled":
        k = 0.55 if state == "pressed" else 1.0
        shadow(img, lambda m: m.rrect((x0 + 3, y0 + 2, x1 - 3, y1), radius), lift * 0.55 * k, lift * 0.5 * k,
               0.42 * k, colour=ACCENT_PRESSED)
    shape = Mask(w, h).rrect(body, radius).done()
    fill = st["fill"][s]
    if style == "primary" and gloss and state != "pressed":
        paint(img, shape, vgradient(w, h, lighten(fill, 0.10), fill))
    else:
        paint(img, shape, fill)
    if st["border"]:
        paint(img, Mask(w, h).rrect_ring(body, radius, 1.0).done(), st["border"][s])
    dy = 1 if state == "pressed" and lift > 0 else 0
    draw_text(img, label, text_size, st["text"][s], centre=((x0 + x1) / 2, (y0 + y1) / 2 + dy), bold=bold)
    return img


def strip(frames):
    w, h = frames[0].size
    out = canvas(w * len(frames), h)
    for i, f in enumerate(frames):
        out.paste(f, (i * w, 0))
    return out


def title_background(w, h):
    return vgradient(w, h, TITLE_TOP, TITLE_BOTTOM, rows=TITLE_HEIGHT)


def caption_button(glyph, state):
    """142-145 close, 148-151 minimise: the button paints no parent picture behind itself, so the title bar's
    gradient is part of the image."""
    w, h = 26, 34
    img = title_background(w, h)
    if state == "hover":
        paint(img, Mask(w, h).rrect((0, 0, w, h), 0).done(), WHITE, 0.18)
    elif state == "pressed":
        paint(img, Mask(w, h).rrect((0, 0, w, h), 0).done(), (0, 0, 0), 0.16)
    m = Mask(w, h)
    cx, cy = 13, 17
    if glyph == "close":
        m.line([(cx - 4.5, cy - 4.5), (cx + 4.5, cy + 4.5)], 1.4)
        m.line([(cx - 4.5, cy + 4.5), (cx + 4.5, cy - 4.5)], 1.4)
    else:
        m.line([(cx - 5, cy + 0.5), (cx + 5, cy + 0.5)], 1.4)
    paint(img, m.done(), WHITE, 0.45 if state == "disabled" else 1.0)
    return img


PROMPT_BAND = ACCENT
PROMPT_BAND_HEIGHT = 28


def small_cross(state, on):
    """12 x 12 close crosses, opaque: 165-167 on the prompt's blue band, 179-182 on the feedback window's white."""
    w = h = 12
    img = canvas(w, h, PROMPT_BAND if on == "band" else WHITE)
    if on == "band":
        glyph, halo = WHITE, {"hover": (WHITE, 0.22), "pressed": ((0, 0, 0), 0.2)}.get(state)
        if state == "disabled":
            glyph, halo = WHITE, ((0, 0, 0), 0.2)
    else:
        glyph = {"normal": TEXT_LIGHT, "hover": TEXT_MID, "pressed": TEXT, "disabled": DISABLED_LINE}[state]
        halo = {"hover": ((236, 240, 245), 1.0), "pressed": ((221, 227, 235), 1.0)}.get(state)
    if halo:
        paint(img, Mask(w, h).ellipse(6, 6, 6).done(), halo[0], halo[1])
    m = Mask(w, h)
    m.line([(3.6, 3.6), (8.4, 8.4)], 1.3)
    m.line([(3.6, 8.4), (8.4, 3.6)], 1.3)
    paint(img, m.done(), glyph)
    return img


def check_boxes():  # 141: empty box at x 0, ticked box at x 16, ticked and disabled at x 32
    img = canvas(48, 16)
    for i, kind in enumerate(("empty", "ticked", "disabled")):
        cell = canvas(16, 16)
        box = (1.5, 1.5, 14.5, 14.5)
        if kind == "empty":
            paint(cell, Mask(16, 16).rrect(box, 3).done(), BORDER_STRONG)
            paint(cell, Mask(16, 16).rrect((2.5, 2.5, 13.5, 13.5), 2).done(), WHITE)
        else:
            paint(cell, Mask(16, 16).rrect(box, 3).done(), ACCENT if kind == "ticked" else DISABLED_FILL)
            paint(cell, Mask(16, 16).line([(4.6, 8.2), (7.0, 10.6), (11.6, 5.6)], 1.6).done(), WHITE)
        img.paste(cell, (i * 16, 0))
    return img


# ----------------------------------------------------------------------------------------------------------------
# Icons


def chip_glyph(m, cx, cy, side, pins, pin_len, pin_w, stroke=None):
    """A chip: body square (filled, or a ring of width `stroke`) with `pins` pins on every side."""
    half = side / 2
    box = (cx - half, cy - half, cx + half, cy + half)
    if stroke:
        m.rrect_ring(box, side * 0.14, stroke)
    else:
        m.rrect(box, side * 0.14)
    for i in range(pins):
        t = (i + 1) / (pins + 1)
        p = cx - half + side * t
        for x0, y0, x1, y1 in ((p - pin_w / 2, cy - half - pin_len, p + pin_w / 2, cy - half),
                               (p - pin_w / 2, cy + half, p + pin_w / 2, cy + half + pin_len),
                               (cx - half - pin_len, p - pin_w / 2, cx - half, p + pin_w / 2),
                               (cx + half, p - pin_w / 2, cx + half + pin_len, p + pin_w / 2)):
            m.rrect((x0, y0, x1, y1), min(pin_w, pin_len) * 0.35)


def logo(size, inverted=False):
    """The program's mark: a driver chip with a removal badge, on a rounded square."""
    img = canvas(size, size)
    pad = {16: 0, 24: 0, 32: 1, 48: 2}.get(size, size / 32)
    sq = (pad, pad, size - pad, size - pad)
    r = (size - 2 * pad) * 0.22
    ground = Mask(size, size).rrect(sq, r).done()
    if inverted:
        paint(img, ground, WHITE)
    else:
        paint(img, ground, vgradient(size, size, (74, 150, 250), (34, 102, 220)))
    fg = ACCENT if inverted else WHITE
    ground_mid = WHITE if inverted else (52, 124, 234)
    u = (size - 2 * pad) / 32.0  # design units of a 32-pixel square
    o = pad
    if size <= 16:
        m = Mask(size, size)
        m.rrect((4, 4, 12, 12), 1)
        for p in (6, 9):
            m.rrect((p, 2, p + 1, 4), 0).rrect((p, 12, p + 1, 14), 0)
            m.rrect((2, p, 4, p + 1), 0).rrect((12, p, 14, p + 1), 0)
        paint(img, m.done(), fg)
        paint(img, Mask(size, size).rrect((6, 6, 10, 10), 0).done(), ground_mid)
        return img
    cx = cy = o + 14.5 * u
    m = Mask(size, size)
    chip_glyph(m, cx, cy, 12.5 * u, 3, 2.6 * u, 1.5 * u)
    paint(img, m.done(), fg)
    die = Mask(size, size).rrect((cx - 3.4 * u, cy - 3.4 * u, cx + 3.4 * u, cy + 3.4 * u), 0.9 * u).done()
    paint(img, die, ground_mid if not inverted else WHITE)
    if inverted:
        paint(img, Mask(size, size).rrect_ring((cx - 3.4 * u, cy - 3.4 * u, cx + 3.4 * u, cy + 3.4 * u),
                                               0.9 * u, 1.2 * u).done(), ACCENT)
    bx, by, br = o + 23 * u, o + 23 * u, 6.2 * u
    # The badge sits in a gap cut into the chip.
    gap = Mask(size, size).ellipse(bx, by, br + 1.6 * u).done()
    gap_fill = WHITE if inverted else vgradient(size, size, (74, 150, 250), (34, 102, 220))
    paint(img, gap, gap_fill)
    paint(img, Mask(size, size).ellipse(bx, by, br).done(), ACCENT if inverted else WHITE)
    paint(img, Mask(size, size).rrect((bx - 3.4 * u, by - 0.9 * u, bx + 3.4 * u, by + 0.9 * u), 0.9 * u).done(),
          WHITE if inverted else ACCENT)
    return img


def category_icon(kind, size=28, colour=ACCENT, width=1.8):
    """Line icons of the nine device kinds, drawn on a 28-unit grid."""
    img = canvas(size, size)
    m = Mask(size, size)
    k = size / 28.0

    def P(*pts):
        return [(x * k, y * k) for x, y in pts]

    wd = width
    if kind == "gpu":
        m.rrect_ring((3 * k, 7 * k, 25 * k, 20 * k), 2 * k, wd)
        m.ring(11 * k, 13.5 * k, 4 * k, wd)
        m.rrect((17.5 * k, 11 * k, 21.5 * k, 16 * k), 1 * k)
        m.line(P((7, 23), (19, 23)), wd)
        m.line(P((3, 4), (3, 7)), wd)
    elif kind == "audio":
        m.line(P((4.5, 11), (8.5, 11), (13.5, 6), (13.5, 22), (8.5, 17), (4.5, 17), (4.5, 11)), wd)
        m.arc(13.5 * k, 14 * k, 5 * k, -45, 45, wd)
        m.arc(13.5 * k, 14 * k, 9.5 * k, -50, 50, wd)
    elif kind == "network":
        m.ring(14 * k, 14 * k, 10.5 * k, wd)
        m.ellipse(14 * k, 14 * k, 4.8 * k + wd / 2, 10.5 * k)
        m.ellipse(14 * k, 14 * k, 4.8 * k - wd / 2, 10.5 * k - wd, value=0)
        m.line(P((3.5, 14), (24.5, 14)), wd, caps=False)
        m.line(P((14, 3.5), (14, 24.5)), wd, caps=False)
    elif kind == "camera":
        m.ring(14 * k, 12 * k, 8.5 * k, wd)
        m.ring(14 * k, 12 * k, 3.2 * k, wd)
        m.line(P((14, 20.5), (14, 24)), wd)
        m.line(P((8.5, 24.5), (19.5, 24.5)), wd)
    elif kind == "bluetooth":
        m.line(P((8, 9), (19.5, 19), (14, 24.5), (14, 3.5), (19.5, 9), (8, 19)), wd)
    elif kind == "reader":
        m.line(P((8, 4), (17.5, 4), (21.5, 8), (21.5, 24), (8, 24), (8, 4)), wd)
        for x in (11.5, 14.5, 17.5):
            m.line(P((x, 7.5), (x, 11)), wd * 0.85)
    elif kind == "touchpad":
        m.rrect_ring((3.5 * k, 5 * k, 24.5 * k, 23 * k), 3 * k, wd)
        m.line(P((3.5, 17.5), (24.5, 17.5)), wd, caps=False)
        m.line(P((14, 17.5), (14, 23)), wd, caps=False)
    elif kind == "fingerprint":
        m.arc(14 * k, 15 * k, 10 * k, 200, 340, wd)
        m.arc(14 * k, 15 * k, 6.5 * k, 180, 380, wd)
        m.arc(14 * k, 15 * k, 3 * k, 190, 360, wd)
        m.line(P((17, 15), (17, 19.5), (15.5, 23)), wd)
        m.line(P((7.5, 15), (7.5, 18), (9, 22)), wd)
        m.line(P((11, 15.5), (11, 18.5), (12, 21)), wd)
    elif kind == "smart":
        m.rrect_ring((8 * k, 4 * k, 20 * k, 24.5 * k), 5.5 * k, wd)
        m.ring(14 * k, 17 * k, 3.2 * k, wd)
        m.ellipse(14 * k, 9 * k, 1.3 * k)
        m.arc(14 * k, 9 * k, 10.5 * k, -35, 35, wd * 0.9)
        m.arc(14 * k, 9 * k, 10.5 * k, 145, 215, wd * 0.9)
    paint(img, m.done(), colour)
    return img


CATEGORIES = (("gpu", "显卡"), ("audio", "声卡"), ("network", "网卡"), ("camera", "摄像头"), ("bluetooth", "蓝牙"),
              ("reader", "读卡器"), ("touchpad", "触控板"), ("fingerprint", "指纹"), ("smart", "智音设备"))


def info_icon(img, cx, cy, r=7, colour=ACCENT):
    paint(img, Mask(img.width, img.height).ellipse(cx, cy, r).done(), colour)
    m = Mask(img.width, img.height)
    m.ellipse(cx, cy - r * 0.45, r * 0.16)
    m.rrect((cx - r * 0.13, cy - r * 0.15, cx + r * 0.13, cy + r * 0.55), r * 0.1)
    paint(img, m.done(), WHITE)


# ----------------------------------------------------------------------------------------------------------------
# Backgrounds


def main_background():  # 140, 800 x 600
    w, h = 800, 600
    img = canvas(w, h, WHITE)
    img.paste(title_background(w, TITLE_HEIGHT), (0, 0))
    # (36, 0)-(300, 42) carries the title and (200, 16)-(350, 31) the version: nothing but the gradient there.
    mark = logo(24, inverted=True)
    img.alpha_composite(mark, (8, 9))
    # Body edges, so the window keeps its outline over a white desktop.
    edge = Mask(w, h)
    edge.rrect((0, TITLE_HEIGHT, 1, h), 0).rrect((w - 1, TITLE_HEIGHT, w, h), 0).rrect((0, h - 1, w, h), 0)
    paint(img, edge.done(), BORDER)
    # The pages cover (38, 42)-(762, 360). Below them: the kinds of device the tool handles.
    card = (38, 374, 762, 506)
    paint(img, Mask(w, h).rrect(card, 8).done(), BORDER)
    paint(img, Mask(w, h).rrect((card[0] + 1, card[1] + 1, card[2] - 1, card[3] - 1), 7).done(), SURFACE_ALT)
    paint(img, Mask(w, h).rrect((58, 392, 61, 404), 1.5).done(), ACCENT)
    draw_text(img, "可检测并卸载以下九类设备的驱动", 13, TEXT, x=68, y=391, bold=0.25)
    col = (card[2] - card[0] - 40) / 9
    for i, (kind, name) in enumerate(CATEGORIES):
        cx = card[0] + 20 + col * (i + 0.5)
        tile = (round(cx - 20), 416, round(cx + 20), 456)
        paint(img, Mask(w, h).rrect(tile, 8).done(), BORDER)
        paint(img, Mask(w, h).rrect((tile[0] + 1, tile[1] + 1, tile[2] - 1, tile[3] - 1), 7).done(), WHITE)
        img.alpha_composite(category_icon(kind), (tile[0] + 6, tile[1] + 6))
        draw_text(img, name, 12, TEXT_MID, centre=(round(cx), 476))
    # A small "more" mark before the more-tools button at (60, 530)-(118, 548).
    m = Mask(w, h)
    for gx in (0, 1):
        for gy in (0, 1):
            m.rrect((41 + gx * 7, 532 + gy * 7, 46.5 + gx * 7, 537.5 + gy * 7), 1.3)
    paint(img, m.done(), ACCENT)
    # Footer: the agreement check box and the links are drawn by the program on white from y 575.
    paint(img, Mask(w, h).rrect((1, 562, w - 1, 563), 0).done(), BORDER)
    return img


def start_page():  # 194, 724 x 318; the start button covers (233, 218)-(492, 303)
    w, h = 724, 318
    img = canvas(w, h, WHITE)
    cx, cy = w // 2, 74
    paint(img, Mask(w, h).ellipse(cx, cy, 56).done(), (245, 249, 255))
    paint(img, Mask(w, h).ellipse(cx, cy, 43).done(), TINT)
    shadow(img, lambda m: m.rrect((cx - 28, cy - 28, cx + 28, cy + 28), 12), 4, 3, 0.35, colour=ACCENT_PRESSED)
    img.alpha_composite(logo(56), (cx - 28, cy - 28))
    # Scan arcs around the mark.
    m = Mask(w, h)
    m.arc(cx, cy, 49.5, 200, 250, 2.2)
    m.arc(cx, cy, 49.5, 20, 70, 2.2)
    paint(img, m.done(), ACCENT, 0.55)
    draw_text(img, "一键检测，彻底卸载设备驱动", 22, TEXT, centre=(cx, 152), bold=True)
    draw_text(img, "检测电脑中已安装的驱动程序包，选中后即可将其从系统的驱动库中删除", 13, TEXT_MID, centre=(cx, 186))
    return img


def selection_page():  # 195, 724 x 318; tree (10, 10)-(352, 268), list (372, 10)-(714, 268), button at (596, 278)
    w, h = 724, 318
    img = canvas(w, h, WHITE)
    # Soft wells around the two controls, which draw their own borders.
    for box in ((6, 6, 356, 272), (368, 6, 718, 272)):
        paint(img, Mask(w, h).rrect(box, 6).done(), BORDER)
        paint(img, Mask(w, h).rrect((box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1), 5).done(), SURFACE_ALT)
    info_icon(img, 19, 296, 7)
    draw_text(img, "在左侧选择设备，在右侧选择要删除的驱动文件，然后点击“开始卸载”", 12, TEXT_MID, x=32, y=289)
    return img


def prompt_content():  # 161, 320 x 140, drawn stretched to 326 x 146
    w, h = 320, 140
    img = canvas(w, h, WHITE)
    paint(img, Mask(w, h).rrect((0, 0, w, PROMPT_BAND_HEIGHT), 0).done(), PROMPT_BAND)
    draw_text(img, "提示", 13, WHITE, x=12, y=8, bold=0.25)
    return img


def progress_content():  # 147, 204 x 104; white text is drawn over (10, 42)-(194, 82)
    w, h = 204, 104
    img = vgradient(w, h, (64, 140, 247), (38, 108, 226))
    cx, cy, r = 102, 22, 11
    for i in range(8):
        a = math.radians(-90 + i * 45)
        m = Mask(w, h).ellipse(cx + r * math.cos(a), cy + r * math.sin(a), 2.6 - i * 0.12).done()
        paint(img, m, WHITE, 1.0 - i * 0.1)
    draw_text(img, "请勿关闭工具或断开设备", 12, WHITE, centre=(w / 2, 89), opacity=0.72)
    return img


def feedback_content():  # 178, 400 x 468; buttons at (67, 154), (67, 234), (67, 314); cross at (382, 6)-(394, 18)
    w, h = 400, 468
    img = canvas(w, h, WHITE)
    draw_text(img, "意见反馈", 12, TEXT_MID, x=14, y=7)
    cx, cy = w // 2, 60
    paint(img, Mask(w, h).ellipse(cx, cy, 28).done(), TINT)
    paint(img, Mask(w, h).ellipse(cx, cy, 19).done(), ACCENT)
    m = Mask(w, h)
    m.arc(cx, cy - 3.5, 5.2, 180, 405, 3.0)
    m.line([(cx + 3.7, cy + 0.2), (cx, cy + 3.3), (cx, cy + 5.0)], 3.0)
    m.ellipse(cx, cy + 10, 1.9)
    paint(img, m.done(), WHITE)
    draw_text(img, "本次使用是否解决了您的问题？", 18, TEXT, centre=(cx, 106), bold=True)
    draw_text(img, "您的反馈将帮助我们不断改进这个工具", 13, TEXT_MID, centre=(cx, 132))
    draw_text(img, "感谢您的使用", 12, TEXT_LIGHT, centre=(cx, 420))
    return img


# ----------------------------------------------------------------------------------------------------------------
# Scroll-bar skin (bitmap 183): 9 x 3 cells of 13 x 13; columns up, down, thumb, track (vertical), left, right,
# thumb, track (horizontal), corner; rows normal, hover, pressed.

SB_TRACK = (243, 245, 248)
SB_EDGE = (228, 232, 238)


def scroll_cell(col, row):
    c = 13
    img = canvas(c, c, SB_TRACK)
    vertical = col < 4
    kind = ("up", "down", "thumb", "track", "left", "right", "thumb", "track", "corner")[col]
    if kind in ("up", "down", "left", "right"):
        bg = (SB_TRACK, (229, 234, 241), (210, 218, 229))[row]
        glyph = ((140, 148, 160), (86, 95, 108), ACCENT_PRESSED)[row]
        img = canvas(c, c, bg)
        tri = {"up": [(6.5, 4.3), (10.2, 8.6), (2.8, 8.6)], "down": [(6.5, 8.7), (10.2, 4.4), (2.8, 4.4)],
               "left": [(4.3, 6.5), (8.6, 2.8), (8.6, 10.2)], "right": [(8.7, 6.5), (4.4, 2.8), (4.4, 10.2)]}[kind]
        paint(img, Mask(c, c).polygon(tri).done(), glyph)
    elif kind == "thumb":
        colour = ((196, 204, 215), (164, 174, 189), (128, 140, 158))[row]
        # Caps are the first and last 3 pixels along the bar; the middle is tiled.
        box = (3, 1, 10, 12) if vertical else (1, 3, 12, 10)
        paint(img, Mask(c, c).rrect(box, 2).done(), colour)
    if kind != "corner":
        edge = (0, 0, 1, c) if vertical else (0, 0, c, 1)
        paint(img, Mask(c, c).rrect(edge, 0).done(), SB_EDGE)
    return img


def scroll_skin():
    img = canvas(117, 39)
    for col in range(9):
        for row in range(3):
            img.paste(scroll_cell(col, row), (col * 13, row * 13))
    rgb = img.convert("RGB")
    colours = rgb.getcolors(256)
    assert colours is not None, "the scroll-bar skin must fit a 256-colour palette"
    # An exact palette: every colour keeps its value in the 8-bit bitmap.
    palette = [c for _, c in sorted(colours, key=lambda nc: nc[1])]
    index = {c: i for i, c in enumerate(palette)}
    out = Image.new("P", rgb.size)
    out.putpalette([v for c in palette for v in c] + [0] * (3 * (256 - len(palette))))
    out.putdata([index[c] for c in rgb.getdata()])
    return out


# ----------------------------------------------------------------------------------------------------------------
# Icon file with classic DIB entries for the small sizes and a PNG entry for 256


def ico_bytes(images):
    entries, blobs = [], []
    for im in images:
        w, h = im.size
        if w >= 256:
            buf = io.BytesIO()
            im.save(buf, "PNG")
            data = buf.getvalue()
        else:
            rows = []
            px = im.load()
            for y in range(h - 1, -1, -1):
                rows.append(b"".join(struct.pack("BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                                     for x in range(w)))
            mask_stride = ((w + 31) // 32) * 4
            mask_rows = []
            for y in range(h - 1, -1, -1):
                bits = bytearray(mask_stride)
                for x in range(w):
                    if px[x, y][3] == 0:
                        bits[x // 8] |= 0x80 >> (x % 8)
                mask_rows.append(bytes(bits))
            header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, w * h * 4 + mask_stride * h, 0, 0, 0, 0)
            data = header + b"".join(rows) + b"".join(mask_rows)
        entries.append((w, h, data))
        blobs.append(data)
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(blobs)


# ----------------------------------------------------------------------------------------------------------------


def build():
    png = {
        139: main_frame(), 140: main_background(), 141: check_boxes(), 146: progress_frame(),
        147: progress_content(), 160: prompt_frame(), 161: prompt_content(), 177: feedback_frame(),
        178: feedback_content(), 189: balloon(), 194: start_page(), 195: selection_page(),
    }
    for i, st in enumerate(STATES):
        png[142 + i] = caption_button("close", st)
        png[148 + i] = caption_button("minimise", st)
        png[179 + i] = small_cross(st, "white")
        big = dict(size=(266, 60), body=(9, 9, 257, 51), radius=21, text_size=17, bold=0.25)
        png[184 + i] = button(state=st, style="primary", label="解决", lift=5, **big)
        png[190 + i] = button(state=st, style="accent-outline", label="未解决", **big)
        png[152 + i] = button(state=st, style="outline", label="更多方案", **big)
        png[156 + i] = button((58, 18), (0, 0, 58, 18), 9, "tint", st, "更多工具", 12, bold=0.25)
        png[196 + i] = button((118, 36), (0, 0, 118, 36), 18, "primary", st, "开始卸载", 15, bold=0.25)
    for i, st in enumerate(STATES[:3]):  # the pressed picture also serves as the disabled one
        png[165 + i] = small_cross(st, "band")
        small = dict(size=(55, 24), body=(0, 0, 55, 24), radius=12, text_size=13, bold=0.25, state=st)
        png[162 + i] = button(style="outline", label="取消", **small)
        png[168 + i] = button(style="outline", label="否", **small)
        png[171 + i] = button(style="primary", label="确认", **small)
        png[174 + i] = button(style="primary", label="是", **small)
    png[188] = strip([button((259, 85), (15, 13, 244, 69), 28, "primary", st, "开始运行", 22, bold=True, lift=9)
                      for st in STATES])
    return png


EXPECTED_SIZES = {139: (806, 606), 140: (800, 600), 141: (48, 16), 146: (232, 132), 147: (204, 104),
                  160: (330, 150), 161: (320, 140), 177: (410, 479), 178: (400, 468), 188: (1036, 85),
                  189: (541, 402), 194: (724, 318), 195: (724, 318)}
for _first, _last, _size in ((142, 145, (26, 34)), (148, 151, (26, 34)), (152, 155, (266, 60)),
                             (156, 159, (58, 18)), (162, 164, (55, 24)), (165, 167, (12, 12)), (168, 176, (55, 24)),
                             (179, 182, (12, 12)), (184, 187, (266, 60)), (190, 193, (266, 60)),
                             (196, 199, (118, 36))):
    for _i in range(_first, _last + 1):
        EXPECTED_SIZES[_i] = _size


def write_outputs(png):
    assert set(png) == set(EXPECTED_SIZES), sorted(set(png) ^ set(EXPECTED_SIZES))
    for d in ("png", "bmp", "icon"):
        os.makedirs(os.path.join(RESOURCES, d), exist_ok=True)
    for rid, im in sorted(png.items()):
        assert im.size == EXPECTED_SIZES[rid], (rid, im.size)
        if im.getchannel("A").getextrema() == (255, 255):
            im = im.convert("RGB")  # opaque pictures need no alpha channel
        im.save(os.path.join(RESOURCES, "png", f"{rid}.png"), optimize=True)
    skin = scroll_skin()
    assert skin.size == (117, 39) and skin.mode == "P"
    skin.save(os.path.join(RESOURCES, "bmp", "183.bmp"))
    with open(os.path.join(RESOURCES, "icon", "128.ico"), "wb") as f:
        f.write(ico_bytes([logo(s) for s in (16, 32, 48, 256)]))
    with open(os.path.join(RESOURCES, "art.rc"), "w", newline="\r\n") as rc:
        rc.write("// Skin pictures of the program; generated by art/draw_art.py, do not edit.\n")
        rc.write("// Paths are relative to this folder.\n\n")
        rc.write('128 ICON "icon/128.ico"\n\n')
        for rid in sorted(list(png) + [183]):
            rc.write(f'{rid} BITMAP "bmp/183.bmp"\n' if rid == 183 else f'{rid} PNG "png/{rid}.png"\n')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="FOLDER", help="also write contact sheets into FOLDER (keep it out of the repo)")
    args = parser.parse_args()
    png = build()
    write_outputs(png)
    if args.preview:
        sys.dont_write_bytecode = True  # keep the source folder clean
        import preview
        preview.contact_sheet(png, scroll_skin(), [logo(s) for s in (16, 32, 48, 256)], args.preview)


if __name__ == "__main__":
    main()
