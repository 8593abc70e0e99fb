"""The big pictures: splash, high-score background, level completed, final, sunburst and
the level preview sheet of the training list.

The play-field's design space is 1920 x 1200 with the button panel in the right 256
units, so the pictures centre their content over x = 832 (the centre of the field);
the top 160 units stay calm because the head-up display is drawn over them.
"""
import math
import os
import re

import cairo

import kart
import sprites
from kart import INK, Lcg, ellipse, linear, radial, rgba, rounded_rect, sparkle, star_path, text

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "..", "assets"))

FIELD_CX = 832.0


def place(ctx, x, y, scale, draw, *args):
    """Draws a 52-unit figure drawer with its top-left corner at (x, y), scaled."""
    ctx.save()
    ctx.translate(x, y)
    ctx.scale(scale, scale)
    if draw is sprites.draw_block:
        draw(ctx, *args)
    else:
        # the same outline the figures carry on the field
        kart.outlined(ctx, lambda: draw(ctx, *args), 2.0)
    ctx.restore()


def ice_title(ctx, s, x, y, size, glow="#5fd0ff"):
    """Big icy letters: a soft glow, a dark outline and a white-to-blue fill."""
    for width, alpha in ((size * 0.30, 0.10), (size * 0.20, 0.18), (size * 0.12, 0.3)):
        text(ctx, s, x, y, size, (0, 0, 0, 0), stroke=rgba(glow, alpha), stroke_width=width)
    fill = linear(0, y - size * 0.8, 0, y, [(0, "#ffffff"), (0.45, "#bdf0ff"), (0.55, "#6cc7ff"),
                                            (1, "#2a63d9")])
    text(ctx, s, x, y, size, fill, stroke=INK, stroke_width=size * 0.07,
         shadow=(size * 0.03, size * 0.04, "#0a1a44"))
    # a frosty rim light on the upper edge of the letters
    text(ctx, s, x, y, size, (0, 0, 0, 0), stroke=(1, 1, 1, 0.25), stroke_width=size * 0.015)


def gold_title(ctx, s, x, y, size):
    for width, alpha in ((size * 0.30, 0.10), (size * 0.18, 0.2)):
        text(ctx, s, x, y, size, (0, 0, 0, 0), stroke=rgba("#ffb000", alpha), stroke_width=width)
    fill = linear(0, y - size * 0.8, 0, y, [(0, "#fffbe0"), (0.45, "#ffd84a"), (0.55, "#ffb300"),
                                            (1, "#d0570a")])
    text(ctx, s, x, y, size, fill, stroke=INK, stroke_width=size * 0.07,
         shadow=(size * 0.03, size * 0.04, "#4a1a00"))


def night_sky(ctx, w, h, seed):
    ctx.set_source(linear(0, 0, 0, h, [(0, "#02040f"), (0.45, "#0a1740"), (1, "#1b1450")]))
    ctx.paint()
    # aurora ribbons
    for k, (col, y0, amp) in enumerate((("#2affc0", 0.30, 0.06), ("#3aa0ff", 0.38, 0.05),
                                        ("#b46bff", 0.24, 0.04))):
        ctx.save()
        ctx.move_to(0, h * y0)
        for i in range(0, 21):
            x = w * i / 20.0
            ctx.line_to(x, h * (y0 + amp * math.sin(i * 0.7 + k * 1.9)))
        for i in range(20, -1, -1):
            x = w * i / 20.0
            ctx.line_to(x, h * (y0 + 0.12 + amp * math.sin(i * 0.7 + k * 1.9 + 0.4)))
        ctx.close_path()
        ctx.set_source(linear(0, h * (y0 - 0.05), 0, h * (y0 + 0.18),
                              [(0, rgba(col, 0.0)), (0.5, rgba(col, 0.16)), (1, rgba(col, 0.0))]))
        ctx.fill()
        ctx.restore()
    rnd = Lcg(seed)
    for _ in range(220):
        x, y = rnd.uniform(0, w), rnd.uniform(0, h * 0.8)
        r = rnd.uniform(0.8, 2.4)
        ellipse(ctx, x, y, r, r)
        ctx.set_source_rgba(1, 1, 1, rnd.uniform(0.25, 0.9))
        ctx.fill()
    for _ in range(14):
        sparkle(ctx, rnd.uniform(0, w), rnd.uniform(0, h * 0.7), rnd.uniform(6, 14), alpha=0.8)


def block_row(ctx, y, scale, x0, x1, styles=(41, 44, 41, 45, 41, 43)):
    k = 0
    x = x0
    while x < x1:
        place(ctx, x, y, scale, sprites.draw_block, styles[k % len(styles)])
        x += 52 * scale
        k += 1


def confetti(ctx, w, h, seed, count, area=None):
    rnd = Lcg(seed)
    cols = ["#ffe14d", "#ff5fa2", "#5fd0ff", "#7dff6b", "#ff9f1c", "#ffffff"]
    x0, y0, x1, y1 = area or (0, 0, w, h)
    for i in range(count):
        x, y = rnd.uniform(x0, x1), rnd.uniform(y0, y1)
        ctx.save()
        ctx.translate(x, y)
        ctx.rotate(rnd.uniform(0, math.pi))
        col = cols[i % len(cols)]
        if i % 3 == 0:
            star_path(ctx, 0, 0, rnd.uniform(8, 16), rnd.uniform(3, 6))
        else:
            rounded_rect(ctx, -7, -3, 14, 6, 2)
        ctx.set_source_rgba(*rgba(col, 0.95))
        ctx.fill()
        ctx.restore()


# --- 36: sunburst --------------------------------------------------------------

def sunburst(w, h):
    s, ctx = kart.new(w, h)
    ctx.set_source_rgb(0, 0, 0)
    ctx.paint()
    cx, cy = w / 2.0, h / 2.0
    r = math.hypot(cx, cy) + 2
    rays = 24
    for i in range(rays):
        a0 = 2 * math.pi * i / rays
        a1 = 2 * math.pi * (i + 1) / rays
        ctx.move_to(cx, cy)
        ctx.arc(cx, cy, r, a0, a1)
        ctx.close_path()
        ctx.set_source_rgba(*rgba("#ffb21e" if i % 2 == 0 else "#ff6a00"))
        ctx.fill()
    # fade to black towards the inscribed circle, so the rotating square's corners never show
    ctx.set_source(radial(cx, cy, w / 2.0, [(0, (1, 0.97, 0.8, 0.85)), (0.08, (1, 0.93, 0.6, 0.55)),
                                              (0.2, (1, 0.9, 0.5, 0.2)), (0.35, (1, 0.9, 0.5, 0.05)),
                                              (0.5, (0, 0, 0, 0.0)), (0.7, (0, 0, 0, 0.3)),
                                              (0.88, (0, 0, 0, 0.8)), (1, (0, 0, 0, 1))]))
    ctx.paint()
    ctx.rectangle(0, 0, w, h)
    ctx.arc_negative(cx, cy, w / 2.0, 2 * math.pi, 0)
    ctx.set_source_rgb(0, 0, 0)
    ctx.fill()
    return kart.to_image(s)


# --- 34: level completed --------------------------------------------------------------

def level_completed(w, h):
    s, ctx = kart.new(w, h)
    cx = w / 2.0
    # a ring of light behind the cook
    ctx.set_source(radial(cx, h * 0.62, h * 0.42, [(0, (1, 1, 0.85, 0.55)), (0.6, (1, 0.85, 0.3, 0.2)),
                                                    (1, (1, 0.8, 0.2, 0.0))]))
    ctx.paint()
    confetti(ctx, w, h, 34, 70, (40, 260, w - 40, h - 40))
    ice_title(ctx, "LEVEL", cx, h * 0.20, 170)
    ice_title(ctx, "COMPLETED!", cx, h * 0.40, 200)
    # the cook cheers between the blue ball on its door and a sleeping monster
    place(ctx, cx - 130, h * 0.44, 5.0, sprites.draw_cook, "cheer0")
    place(ctx, cx - 560, h * 0.62, 3.4, sprites.draw_door)
    place(ctx, cx - 560, h * 0.62 - 52 * 3.4 + 2, 3.4, sprites.draw_ball, "blue")
    place(ctx, cx + 330, h * 0.66, 3.0, sprites.draw_kmonster_asleep, 3, "left")
    place(ctx, cx + 260, h * 0.50, 1.6, sprites.draw_mushroom)
    for (x, y, r) in ((cx - 420, h * 0.50, 22), (cx + 470, h * 0.55, 18), (cx + 150, h * 0.47, 14),
                      (cx - 250, h * 0.9, 16)):
        sparkle(ctx, x, y, r)
    return kart.to_image(s)


# --- 35: final picture --------------------------------------------------------------

def trophy(ctx, cx, top, size):
    ctx.save()
    ctx.translate(cx, top)
    ctx.scale(size / 100.0, size / 100.0)
    gold = linear(-50, 0, 50, 0, [(0, "#b86a00"), (0.3, "#ffe27a"), (0.55, "#ffc21a"), (1, "#9a5200")])
    for side in (-1, 1):
        ctx.save()
        ctx.scale(side, 1)
        ctx.move_to(38, 12)
        ctx.curve_to(70, 8, 68, 52, 30, 56)
        ctx.set_source_rgba(*rgba(INK))
        ctx.set_line_width(13)
        ctx.stroke()
        ctx.move_to(38, 12)
        ctx.curve_to(70, 8, 68, 52, 30, 56)
        ctx.set_source(gold)
        ctx.set_line_width(8)
        ctx.stroke()
        ctx.restore()
    ctx.move_to(-45, 0)
    ctx.line_to(45, 0)
    ctx.curve_to(45, 55, 25, 75, 8, 80)
    ctx.line_to(8, 100)
    ctx.line_to(-8, 100)
    ctx.line_to(-8, 80)
    ctx.curve_to(-25, 75, -45, 55, -45, 0)
    ctx.close_path()
    kart.fill_stroke(ctx, gold, width=4)
    rounded_rect(ctx, -34, 100, 68, 16, 4)
    kart.fill_stroke(ctx, gold, width=4)
    rounded_rect(ctx, -44, 116, 88, 22, 5)
    kart.fill_stroke(ctx, linear(0, 116, 0, 138, [(0, "#5a3a8a"), (1, "#2a1550")]), width=4)
    star_path(ctx, 0, 32, 20, 8.5)
    kart.fill_stroke(ctx, "#fff6c0", stroke="#9a5200", width=2.5)
    ellipse(ctx, -24, 22, 5, 14)
    ctx.set_source_rgba(1, 1, 1, 0.5)
    ctx.fill()
    ctx.restore()


def final_picture(w, h):
    s, ctx = kart.new(w, h)
    # the sunburst behind turns about (w / 2 - 256, h / 2); the texts keep clear of the edges
    cx = FIELD_CX
    confetti(ctx, w, h, 35, 120, (0, 280, w, h))
    gold_title(ctx, "CONGRATULATIONS!", cx, 250, 132)
    ice_title(ctx, "ALL 57 LEVELS DONE", cx, 390, 92)
    # the cook on an ice podium with the trophy; the defeated monsters sleep beside it
    block_row(ctx, h - 156, 3.0, 0, w, styles=(41, 44, 45, 41, 43, 42))
    place(ctx, cx - 170, h - 156 - 52 * 6.0, 6.0, sprites.draw_cook, "cheer1")
    trophy(ctx, cx + 250, h - 156 - 300, 210)
    place(ctx, cx - 620, h - 156 - 52 * 3.4, 3.4, sprites.draw_kmonster_asleep, 3, "right")
    place(ctx, cx + 560, h - 156 - 52 * 3.4, 3.4, sprites.draw_gmonster_asleep, 3)
    place(ctx, cx - 800, h - 156 - 52 * 2.6, 2.6, sprites.draw_ball, "blue")
    place(ctx, cx + 820, h - 156 - 52 * 2.6, 2.6, sprites.draw_ball, "red")
    for (x, y, r) in ((cx - 420, 520, 26), (cx + 420, 560, 22), (cx + 120, 470, 16),
                      (cx - 700, 640, 18), (cx + 900, 500, 20)):
        sparkle(ctx, x, y, r)
    return kart.to_image(s)


# --- 46: high-score background -----------------------------------------------------

def icicles(ctx, w, y, seed, scale=1.0):
    rnd = Lcg(seed)
    x = 0.0
    while x < w:
        wid = rnd.uniform(18, 40) * scale
        length = rnd.uniform(30, 110) * scale
        ctx.move_to(x, y)
        ctx.line_to(x + wid, y)
        ctx.line_to(x + wid * 0.5, y + length)
        ctx.close_path()
        ctx.set_source(linear(0, y, 0, y + length, [(0, (0.85, 0.97, 1, 0.7)), (1, (0.5, 0.8, 1, 0.1))]))
        ctx.fill()
        x += wid * rnd.uniform(0.7, 1.1)


def snowflake(ctx, x, y, r, alpha):
    ctx.save()
    ctx.translate(x, y)
    ctx.set_source_rgba(0.85, 0.95, 1, alpha)
    ctx.set_line_width(max(1.0, r * 0.09))
    for k in range(6):
        ctx.save()
        ctx.rotate(k * math.pi / 3)
        ctx.move_to(0, 0)
        ctx.line_to(0, -r)
        ctx.move_to(0, -r * 0.55)
        ctx.line_to(-r * 0.22, -r * 0.75)
        ctx.move_to(0, -r * 0.55)
        ctx.line_to(r * 0.22, -r * 0.75)
        ctx.stroke()
        ctx.restore()
    ctx.restore()


def hiscore_background(w, h):
    s, ctx = kart.new(w, h)
    ctx.set_source(linear(0, 0, 0, h, [(0, "#02040f"), (0.3, "#071338"), (1, "#101c52")]))
    ctx.paint()
    rnd = Lcg(46)
    for _ in range(26):
        snowflake(ctx, rnd.uniform(0, w), rnd.uniform(170, h), rnd.uniform(14, 46), rnd.uniform(0.08, 0.22))
    # the frosted panel behind the table (rows are centred 128 units left of the middle)
    px, py, pw, ph = FIELD_CX - 600, 190, 1200, 900
    rounded_rect(ctx, px, py, pw, ph, 40)
    ctx.set_source(linear(0, py, 0, py + ph, [(0, (0.2, 0.45, 0.9, 0.30)), (1, (0.1, 0.2, 0.55, 0.30))]))
    ctx.fill()
    rounded_rect(ctx, px, py, pw, ph, 40)
    ctx.set_source_rgba(0.7, 0.9, 1, 0.55)
    ctx.set_line_width(4)
    ctx.stroke()
    rounded_rect(ctx, px + 14, py + 14, pw - 28, ph - 28, 30)
    ctx.set_source_rgba(0.7, 0.9, 1, 0.18)
    ctx.set_line_width(2)
    ctx.stroke()
    icicles(ctx, w, 0, 4646, scale=0.5)
    # figures watch the table from the sides
    base = h - 110
    block_row(ctx, base, 2.1, 0, w, styles=(41, 44, 41, 45, 43, 41, 42))
    place(ctx, 60, base - 52 * 3.0, 3.0, sprites.draw_cook, "cheer1")
    place(ctx, px + pw + 30, base - 52 * 2.6, 2.6, sprites.draw_kmonster, 0, "left")
    place(ctx, px + pw + 30, base - 52 * 2.6 - 52 * 2.4, 2.4, sprites.draw_ball, "red")
    place(ctx, 110, base - 52 * 3.0 - 52 * 2.0, 2.0, sprites.draw_mushroom)
    return kart.to_image(s)


# --- 48: splash ----------------------------------------------------------------------

def splash(w, h):
    s, ctx = kart.new(w, h)
    night_sky(ctx, w, h, 48)
    ice_title(ctx, "KIRPO", FIELD_CX, 520, 330)
    text(ctx, "PUSH  \u2022  DROP  \u2022  CRUSH", FIELD_CX, 640, 64, "#ffe14d", stroke=INK,
         stroke_width=6, shadow=(3, 4, "#3a1a00"))
    floor = h - 130
    block_row(ctx, floor, 2.5, 0, w)
    scale = 3.4
    top = floor - 52 * scale
    place(ctx, 250, top, scale, sprites.draw_door)
    place(ctx, 250, top - 52 * scale + 2, scale, sprites.draw_ball, "blue")
    place(ctx, 560, top, scale, sprites.draw_cook, "right0")
    place(ctx, 790, top, scale, sprites.draw_ball, "red")
    place(ctx, 1030, top, scale, sprites.draw_kmonster, 0, "left")
    place(ctx, 1250, top, scale, sprites.draw_gmonster, 1, "open")
    place(ctx, 1510, top + 52 * scale * 0.35, scale * 0.65, sprites.draw_mushroom)
    text(ctx, "Press Enter, click or tap to play", FIELD_CX, 750, 50, "#e9fbff", stroke=INK,
         stroke_width=5, bold=False)
    return kart.to_image(s)


# --- 37: level preview sheet -------------------------------------------------------

CELL_W, CELL_H = 280, 200
LEVELS = 57


def parse_level(path):
    """(type name, x, y, figure) for every line of a level file; tolerant of damage."""
    items = []
    with open(path, "rb") as fh:
        raw = fh.read()
    for enc in ("utf-8-sig", "latin-1"):
        try:
            body = raw.decode(enc)
            break
        except UnicodeDecodeError:
            continue
    for line in re.split(r"\r\n|\n|\r", body):
        vals = {}
        for item in re.findall(r'"(?:[^"]|"")*"|[^,\s]+', line):
            if "=" in item:
                k, v = item.split("=", 1)
                vals.setdefault(k.strip().lower(), v.strip().strip('"'))
        typ = vals.get("typ", "").lower()
        if not typ or typ in ("background", "died"):
            continue
        try:
            items.append((typ, int(vals["x"]), int(vals["y"]), int(vals["fignr"])))
        except (KeyError, ValueError):
            continue
    return items


def level_preview(ctx, nr, figures):
    """A level file's layout in miniature, or a numbered card while there is no file."""
    ctx.set_source(linear(0, 0, 0, CELL_H, [(0, "#061030"), (1, "#0e1f55")]))
    ctx.rectangle(0, 0, CELL_W, CELL_H)
    ctx.fill()
    path = os.path.join(ASSETS, "generatedfigures_%d.txt" % nr)
    if os.path.exists(path):
        scale = min(CELL_W / 1664.0, CELL_H / 1200.0)
        ox = (CELL_W - 1664 * scale) / 2.0
        for typ, x, y, fig in parse_level(path):
            surf = figures.get(fig)
            if surf is None:
                continue
            ctx.save()
            ctx.translate(ox + x * scale, (y + 2) * scale)
            ctx.scale(scale, scale)
            ctx.rectangle(0, 0, 52, 52)
            ctx.clip()
            ctx.set_source_surface(surf, 0, 0)
            ctx.paint()
            ctx.restore()
        text(ctx, str(nr + 1), 14, 30, 24, "#ffe14d", stroke=INK, stroke_width=4, align="left")
        return
    # no level file yet: a card in the game's style
    rnd = Lcg(1000 + nr)
    for k in range(6):
        place(ctx, k * 52 * 0.9 - 8, CELL_H - 40, 0.9, sprites.draw_block,
              (41, 42, 43, 44, 45)[(nr + k) % 5])
    text(ctx, "LEVEL", CELL_W / 2, 58, 34, "#bdf0ff", stroke=INK, stroke_width=4)
    fill = linear(0, 70, 0, 140, [(0, "#ffffff"), (0.5, "#ffe14d"), (1, "#ff9f1c")])
    text(ctx, str(nr + 1), CELL_W / 2, 140, 78, fill, stroke=INK, stroke_width=6)
    for _ in range(3):
        sparkle(ctx, rnd.uniform(20, CELL_W - 20), rnd.uniform(15, 120), rnd.uniform(4, 8), alpha=0.8)


def level_sheet(w, h):
    s, ctx = kart.new(w, h)
    ctx.set_source_rgb(0, 0, 0)
    ctx.paint()
    import make_figures  # imported here: make_figures imports this module
    from catalogue import FIGURES
    figures = {}
    for f in FIGURES:
        if f.width // f.frames == 52 and f.height == 52:
            surf, c2 = kart.new(52, 52)
            make_figures.frame_drawer(f.number)(c2, 0)
            figures[f.number] = surf
    for nr in range(LEVELS):
        ctx.save()
        ctx.translate((nr % 5) * CELL_W, (nr // 5) * CELL_H)
        ctx.rectangle(0, 0, CELL_W, CELL_H)
        ctx.clip()
        level_preview(ctx, nr, figures)
        ctx.restore()
    return kart.to_image(s)


PICTURES = {
    34: level_completed,
    35: final_picture,
    36: sunburst,
    37: level_sheet,
    46: hiscore_background,
    48: splash,
}
