"""Contact sheets for checking the skin pictures: the windows assembled as the program places them at scale 1,
every button state, the scroll-bar skin and the icon, enlarged where small. Used by draw_art.py --preview."""
import os

from PIL import Image, ImageDraw

import draw_art as art

LIGHT_DESKTOP = (214, 221, 230)
DARK_DESKTOP = (52, 58, 68)
UI_FONT = 13  # the dialogs' font, 宋体 10 at 96 dpi


def label(img, text, x, y, colour=art.TEXT, size=UI_FONT, bold=False):
    return art.draw_text(img, text, size, colour, x=x, y=y, bold=bold)


def vcentred(img, text, box, colour, size=UI_FONT, bold=False, centre=False):
    x0, y0, x1, y1 = box
    m, pad = art.text_mask(text, size, bold)
    f = art.font(size)
    asc, desc = f.getmetrics()
    y = round(y0 + (y1 - y0 - (asc + desc)) / 2)
    if centre:
        x0 = round((x0 + x1 - art.text_width(text, size)) / 2)
    art.paint(img, m, colour, 1.0, (x0 - pad, y - pad))


def back(img, src, box, at):
    """What a control paints behind itself: `box` of the parent's picture stretched over the control."""
    x0, y0, x1, y1 = box
    img.alpha_composite(src.crop(box), at)


def main_window(png, page):
    w = art.canvas(800, 600)
    w.alpha_composite(png[140])
    vcentred(w, "videzure", (36, 0, 300, 42), art.WHITE, size=19, bold=True)
    vcentred(w, "1.1.21.104", (200, 16, 350, 31), art.WHITE)
    w.alpha_composite(png[148], (740, 0))
    w.alpha_composite(png[142], (768, 0))
    back(w, png[140], (60, 530, 118, 548), (60, 530))
    w.alpha_composite(png[156], (60, 530))
    # Agreement check box (white fill), link and feedback link.
    ImageDraw.Draw(w).rectangle((8, 575, 57, 594), fill=art.WHITE)
    w.alpha_composite(png[141].crop((16, 0, 32, 16)), (8, 577))
    vcentred(w, "同意", (26, 575, 58, 595), (0, 0, 0))
    vcentred(w, "《Varunel服务工具使用许可协议》", (64, 575, 288, 595), (92, 92, 255))
    vcentred(w, "反馈问题", (736, 575, 794, 595), (92, 92, 255))
    p = art.canvas(724, 318)
    if page == "start":
        p.alpha_composite(png[194])
        p.alpha_composite(png[188].crop((0, 0, 259, 85)), (233, 218))
    else:
        p.alpha_composite(png[195])
        d = ImageDraw.Draw(p)
        for box in ((10, 10, 351, 267), (372, 10, 713, 267)):
            d.rectangle(box, fill=art.WHITE, outline=(130, 135, 144))
        tree = ["显卡", "    Intel(R) UHD Graphics 620", "声卡", "    Realtek High Definition Audio", "网卡",
                "    Intel(R) Wireless-AC 9560"]
        for i, t in enumerate(tree):
            label(p, t, 16, 16 + i * 18)
        d.rectangle((373, 11, 712, 30), fill=(240, 240, 240))
        label(p, "驱动文件", 410, 14)
        label(p, "版本", 490, 14)
        label(p, "oem12.inf", 380, 36)
        label(p, "26.20.100.7262-当前", 490, 36)
        back(p, png[195], (596, 278, 714, 314), (596, 278))
        p.alpha_composite(png[196], (596, 278))
    w.alpha_composite(p, (38, 42))
    return w


def framed(frame, content, frame_size, content_at):
    out = art.canvas(*frame_size)
    out.alpha_composite(frame.resize(frame_size, Image.BILINEAR) if frame.size != frame_size else frame)
    out.alpha_composite(content, content_at)
    return out


def prompt(png, kind, text):
    c = png[161].resize((326, 146), Image.BILINEAR)
    c.alpha_composite(png[165], (300, 8))
    first, second = (174, 168) if kind in (1, 2) else (171, 162)
    if kind in (2, 4):
        back(c, png[161], (106, 107, 161, 131), (96, 107))
        c.alpha_composite(png[first], (96, 107))
        back(c, png[161], (185, 107, 240, 131), (175, 107))
        c.alpha_composite(png[second], (175, 107))
    else:
        back(c, png[161], (106, 107, 161, 131), (135, 107))
        c.alpha_composite(png[first], (135, 107))
    label(c, text, 10, 50, (0, 0, 0))
    return framed(png[160], c, (336, 156), (5, 3))


def progress(png, text):
    c = png[147].copy()
    vcentred(c, text, (10, 42, 194, 56), art.WHITE, centre=True)
    return framed(png[146], c, (232, 132), (14, 12))


def feedback(png):
    c = png[178].copy()
    c.alpha_composite(png[179], (382, 6))
    for ids, top in ((184, 154), (190, 234), (152, 314)):
        c.alpha_composite(png[ids], (67, top))
    return framed(png[177], c, (410, 479), (5, 4))


def scroll_bar(skin, length, pos_frac, page_frac):
    sk = skin.convert("RGBA")
    bar = art.canvas(13, length)
    cell = lambda col, row: sk.crop((col * 13, row * 13, col * 13 + 13, row * 13 + 13))
    for y in range(13, length - 13, 13):
        bar.alpha_composite(cell(3, 0).crop((0, 0, 13, min(13, length - 13 - y))), (0, y))
    bar.alpha_composite(cell(0, 0), (0, 0))
    bar.alpha_composite(cell(1, 0), (0, length - 13))
    g = length - 26
    th = max(6, int(page_frac * g))
    o = 13 + int(pos_frac * (g - th))
    t = cell(2, 0)
    bar.alpha_composite(t.crop((0, 0, 13, 3)), (0, o))
    for y in range(o + 3, o + th - 3, 7):
        bar.alpha_composite(t.crop((0, 3, 13, min(10, 3 + o + th - 3 - y))), (0, y))
    bar.alpha_composite(t.crop((0, 10, 13, 13)), (0, o + th - 3))
    return bar


def agreement(png, skin):
    frame = png[189]
    c = png[189].crop((0, 0, 540, 384)).resize((538, 383), Image.BILINEAR)
    d = ImageDraw.Draw(c)
    d.rectangle((8, 8, 529, 374), outline=(130, 135, 144), fill=art.WHITE)
    lines = ["Varunel服务工具使用许可协议", "", "重要须知", "    本协议是您与服务工具提供方之间关于使用本工具的协议……",
             "    请您在使用本工具前仔细阅读本协议。", "", "一. 知识产权声明", "    1. 本工具的一切知识产权归提供方所有。"]
    for i, t in enumerate(lines):
        label(c, t, 12, 12 + i * 16, (0, 0, 0))
    c.alpha_composite(scroll_bar(skin, 365, 0.0, 0.3), (516, 9))
    return framed(frame, c, (541, 402), (1, 1))


def zoom(img, k):
    return img.resize((img.width * k, img.height * k), Image.NEAREST)


def sheet(size, colour, items):
    out = Image.new("RGBA", size, colour + (255,))
    for img, at in items:
        out.alpha_composite(img, at)
    return out


def states_row(png, ids, bg_of, k):
    tiles = []
    for i in ids:
        t = art.canvas(*png[i].size, bg_of)
        t.alpha_composite(png[i])
        tiles.append(zoom(t, k))
    return tiles


def contact_sheet(png, skin, icons, folder):
    os.makedirs(folder, exist_ok=True)
    start = main_window(png, "start")
    sel = main_window(png, "selection")
    main = art.canvas(806, 606)
    main.alpha_composite(png[139])
    main.alpha_composite(start, (3, 2))
    sheet((860, 660), LIGHT_DESKTOP, [(main, (27, 27))]).save(os.path.join(folder, "1-main-start.png"))
    m2 = art.canvas(806, 606)
    m2.alpha_composite(png[139])
    m2.alpha_composite(sel, (3, 2))
    m2.alpha_composite(agreement(png, skin), (3 + 130, 2 + 170))
    sheet((860, 660), DARK_DESKTOP, [(m2, (27, 27))]).save(os.path.join(folder, "2-main-agreement.png"))
    sheet((800, 600), LIGHT_DESKTOP, [(sel, (0, 0))]).save(os.path.join(folder, "2-main-selection.png"))
    sheet((860, 560), LIGHT_DESKTOP, [
        (prompt(png, 3, "卸载成功"), (20, 20)), (prompt(png, 2, "是否要卸载该驱动？"), (420, 20)),
        (progress(png, "正在检测驱动，请稍等..."), (20, 220)), (feedback(png), (430, 60)),
    ]).save(os.path.join(folder, "3-popups-light.png"))
    sheet((860, 560), DARK_DESKTOP, [
        (prompt(png, 4, "工具内部错，请与软件提供商联系！"), (20, 20)), (progress(png, "正在卸载驱动，请稍等"), (20, 220)),
        (feedback(png), (420, 60)),
    ]).save(os.path.join(folder, "4-popups-dark.png"))
    # Button states, enlarged: each row normal, hover, pressed, disabled.
    items, y = [], 10
    for ids, k, bgc in (((184, 185, 186, 187), 1, art.WHITE), ((190, 191, 192, 193), 1, art.WHITE),
                        ((152, 153, 154, 155), 1, art.WHITE), ((196, 197, 198, 199), 2, art.WHITE),
                        ((171, 172, 173, 162, 163, 164), 2, art.WHITE), ((174, 175, 176, 168, 169, 170), 2, art.WHITE),
                        ((156, 157, 158, 159), 3, art.WHITE), ((142, 143, 144, 145, 148, 149, 150, 151), 3, None),
                        ((165, 166, 167, 179, 180, 181, 182), 5, None)):
        x = 10
        for t in states_row(png, ids, bgc, k):
            items.append((t, (x, y)))
            x += t.width + 10
        y += items[-1][0].height + 10
    strip = art.canvas(1036, 85, art.WHITE)
    strip.alpha_composite(png[188])
    items.append((strip, (10, y)))
    y += 95
    items.append((zoom(png[141], 6), (10, y)))
    items.append((zoom(skin.convert("RGBA"), 6), (320, y)))
    x = 1040
    for ic in icons[:3]:
        items.append((zoom(ic, 4), (x, y)))
        x += ic.width * 4 + 10
    items.append((icons[3], (1300, 10)))
    sheet((1580, y + 250), (236, 239, 243), items).save(os.path.join(folder, "5-parts.png"))
