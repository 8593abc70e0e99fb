#!/usr/bin/python3
"""Draws every figure image assets/Neu<n>.png and writes assets/Kirpo-Movies.txt.

Usage: make_figures.py [assets-dir]
"""
import os
import sys

import kart
import pictures
import sprites
from catalogue import FIGURES, strips

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))


def frame_drawer(number):
    """Returns draw(ctx, frame) for a figure number."""
    s = sprites
    single = {
        1: s.draw_door,
        10: lambda ctx: s.draw_ball(ctx, "blue"),
        17: lambda ctx: s.draw_ball(ctx, "red"),
        19: s.draw_mushroom,
        33: s.draw_probe,
        50: s.draw_fallen_cook,
        68: s.draw_bonus,
        # cook
        8: lambda ctx: s.draw_cook(ctx, "stand"),
        5: lambda ctx: s.draw_cook(ctx, "right0"),
        4: lambda ctx: s.draw_cook(ctx, "right1"),
        7: lambda ctx: s.draw_cook(ctx, "left0"),
        6: lambda ctx: s.draw_cook(ctx, "left1"),
        15: lambda ctx: s.draw_cook(ctx, "updown0"),
        16: lambda ctx: s.draw_cook(ctx, "updown1"),
        24: lambda ctx: s.draw_cook(ctx, "cheer0"),
        25: lambda ctx: s.draw_cook(ctx, "cheer1"),
        # kmonster walking
        11: lambda ctx: s.draw_kmonster(ctx, 0, "right"),
        12: lambda ctx: s.draw_kmonster(ctx, 1, "right"),
        2: lambda ctx: s.draw_kmonster(ctx, 0, "left"),
        9: lambda ctx: s.draw_kmonster(ctx, 1, "left"),
        # gmonster walking phases
        13: lambda ctx: s.draw_gmonster(ctx, 1, "closed"),
        21: lambda ctx: s.draw_gmonster(ctx, 1, "open"),
        3: lambda ctx: s.draw_gmonster(ctx, 2, "closed"),
        22: lambda ctx: s.draw_gmonster(ctx, 3, "closed"),
        23: lambda ctx: s.draw_gmonster(ctx, 3, "open"),
        14: lambda ctx: s.draw_gmonster(ctx, 3, "tongue"),
    }
    if number in single:
        fn = single[number]
        return lambda ctx, frame: fn(ctx)
    if number in s.BLOCK_STYLES:
        return lambda ctx, frame: s.draw_block(ctx, number)
    if number == 20:
        return lambda ctx, frame: s.draw_gmonster_asleep(ctx, frame)
    if number == 26:
        return lambda ctx, frame: s.draw_kmonster_asleep(ctx, frame, "left")
    if number == 27:
        return lambda ctx, frame: s.draw_kmonster_asleep(ctx, frame, "right")
    if number == 40:
        return lambda ctx, frame: s.draw_touch(ctx, frame)
    if 28 <= number <= 32:
        return lambda ctx, frame: s.draw_puff(ctx, number - 28)
    if 60 <= number <= 65:
        return lambda ctx, frame: s.draw_fog(ctx, number - 60)
    if 51 <= number <= 59:
        return lambda ctx, frame: s.draw_death(ctx, "g", number - 51)
    if 73 <= number <= 81:
        return lambda ctx, frame: s.draw_death(ctx, "k", number - 73, "right")
    if 83 <= number <= 91:
        return lambda ctx, frame: s.draw_death(ctx, "k", number - 83, "left")
    raise KeyError(number)


# The level preview sheet: the game's build draws it into the data package.
LEVEL_SHEET = 37

# Figures drawn in cell coordinates but smaller than a cell.
DRAWN_ON_A_CELL = {19}

# The figures that act on the field get one bold outline around their whole shape (in the
# units they are drawn in), so that they stand out over the blocks and read at 26 pixels a
# cell; blocks, smoke, frost and the markers stay soft.
OUTLINE = 2.0
OUTLINED = ({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 19, 20, 21, 22, 23, 24, 25,
             26, 27, 50} | set(range(51, 60)) | set(range(73, 82)) | set(range(83, 92)))


def render(fig):
    """Returns the keyed PIL image of one figure."""
    if fig.number in pictures.PICTURES:
        img = pictures.PICTURES[fig.number](fig.width, fig.height)
        assert img.size == (fig.width, fig.height), fig
        return kart.keyed(img)
    draw = frame_drawer(fig.number)
    fw = fig.width // fig.frames
    surface, ctx = kart.new(fig.width, fig.height)
    for k in range(fig.frames):
        ctx.save()
        ctx.rectangle(k * fw, 0, fw, fig.height)
        ctx.clip()
        ctx.translate(k * fw, 0)
        outline = OUTLINE
        if fig.number in DRAWN_ON_A_CELL:
            ctx.scale(fw / 52.0, fig.height / 52.0)
            outline *= 52.0 / fw
        if fig.number in OUTLINED:
            kart.outlined(ctx, lambda: draw(ctx, k), outline)
        else:
            draw(ctx, k)
        ctx.restore()
    return kart.keyed(kart.to_image(surface))


def write_movies(path):
    lines = ["Figure;Frames;Reserved1;Reserved2"]
    for f in strips():
        lines.append("%d;%d;0;0" % (f.number, f.frames))
    with open(path, "wb") as fh:
        fh.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


def main(out_dir, only=None):
    os.makedirs(out_dir, exist_ok=True)
    for fig in FIGURES:
        if only and fig.number not in only:
            continue
        if fig.number == LEVEL_SHEET and not only:
            continue  # the build draws it from the level files (tools/levelsheet)
        img = render(fig)
        kart.save_png(img, os.path.join(out_dir, "Neu%d.png" % fig.number))
    write_movies(os.path.join(out_dir, "Kirpo-Movies.txt"))


if __name__ == "__main__":
    args = sys.argv[1:]
    out = args[0] if args and not args[0].isdigit() else os.path.join(ROOT, "assets")
    nums = {int(a) for a in args if a.isdigit()}
    main(out, nums or None)
