"""The play-field figures: cook, monsters, balls, mushroom, door, ice blocks and effects.

Each drawer paints into a cairo context whose origin is the frame's top-left corner,
in design units (one pixel per unit). Walking-left figures are the walking-right ones
mirrored, so both directions stay in step.
"""
import math

import cairo

from kart import (INK, Lcg, ellipse, fill_stroke, linear, mix, polygon, radial, rgba,
                  rounded_rect, sparkle, star_path, text)

# --- palette ---------------------------------------------------------------
HAT = "#f7f9ff"
HAT_SHADE = "#c3cfe6"
SKIN = "#f6c28b"
SKIN_SHADE = "#d58f55"
JACKET = "#f2f5fb"
JACKET_SHADE = "#b9c6dc"
SCARF = "#e8383d"
TROUSERS = "#5b72a8"
SHOES = "#3a2618"
MOUSTACHE = "#6b3b1f"

KM_LIGHT = "#d48cff"
KM_MID = "#9b3fe0"
KM_DARK = "#531590"
HORN = "#f7e7a6"
KM_FEET = "#ff9f1c"

GM_LIGHT = "#9cff8a"
GM_MID = "#33c24d"
GM_DARK = "#11682a"
GM_FEET = "#0d4f20"

ZZZ = "#a8ddff"


def mirrored(ctx, width):
    ctx.translate(width, 0)
    ctx.scale(-1, 1)


def limb(ctx, x0, y0, x1, y1, colour, width, outline=1.3):
    ctx.move_to(x0, y0)
    ctx.line_to(x1, y1)
    ctx.set_source_rgba(*rgba(INK))
    ctx.set_line_width(width + 2 * outline)
    ctx.stroke()
    ctx.move_to(x0, y0)
    ctx.line_to(x1, y1)
    ctx.set_source_rgba(*rgba(colour))
    ctx.set_line_width(width)
    ctx.stroke()


def hand(ctx, x, y, r=3.4):
    ellipse(ctx, x, y, r, r)
    fill_stroke(ctx, radial(x, y, r + 1, [(0, SKIN), (0.7, SKIN), (1, SKIN_SHADE)],
                            fx=x - 1, fy=y - 1), width=1.3)


def shoe(ctx, x, y, forward=0.0):
    ellipse(ctx, x + forward, y, 5.4 + abs(forward) * 0.4, 3.2)
    fill_stroke(ctx, radial(x + forward - 1.5, y - 1.5, 6, [(0, "#6e4a30"), (1, SHOES)]),
                stroke=INK, width=1.3)


# The cook is drawn big-headed, so that his face and hat still read when a cell is 26 pixels:
# the hat spans 32 units, the head 26, and the hands reach out to the cell's sides.
def chef_hat(ctx, cx, band_y, tilt=0.0):
    ctx.save()
    ctx.translate(cx, band_y)
    ctx.rotate(tilt)
    puffs = ((-9.0, -4.8, 6.6), (9.0, -4.8, 6.6), (0.0, -6.2, 6.9))
    for (x, y, r) in puffs:
        ellipse(ctx, x, y, r, r)
        fill_stroke(ctx, radial(x - 2, y - 2.5, r + 2, [(0, HAT), (0.65, HAT), (1, HAT_SHADE)]),
                    width=1.5)
    for (x, y, r) in puffs:
        ellipse(ctx, x, y, r - 0.8, r - 0.8)
        ctx.set_source(radial(x - 2, y - 2.5, r + 2, [(0, HAT), (0.65, HAT), (1, HAT_SHADE)]))
        ctx.fill()
    # the folds between the puffs
    ctx.set_source_rgba(*rgba(HAT_SHADE))
    ctx.set_line_width(1.2)
    for x in (-4.6, 4.6):
        ctx.move_to(x, -8.5)
        ctx.curve_to(x * 0.9, -5.5, x * 0.9, -3.0, x, -1.0)
    ctx.stroke()
    rounded_rect(ctx, -12.0, -1.8, 24.0, 6.6, 2.0)
    fill_stroke(ctx, linear(0, -1.8, 0, 4.8, [(0, HAT), (1, HAT_SHADE)]), width=1.5)
    ctx.restore()


def cook_eyes(ctx, xs, y, face, look=0.0):
    ctx.set_source_rgba(*rgba(INK))
    if face == "dead":
        ctx.set_line_width(1.8)
        for ex in xs:
            ctx.move_to(ex - 2.0, y - 2.2)
            ctx.line_to(ex + 2.0, y + 1.8)
            ctx.move_to(ex + 2.0, y - 2.2)
            ctx.line_to(ex - 2.0, y + 1.8)
        ctx.stroke()
    elif face == "happy":
        ctx.set_line_width(1.8)
        for ex in xs:
            ctx.arc(ex, y + 0.8, 2.2, math.pi * 1.1, math.pi * 1.9)
            ctx.new_sub_path()
        ctx.stroke()
    else:
        # plain dark ovals with a glint: an eye white would blur away at 26 pixels
        for ex in xs:
            ellipse(ctx, ex + look, y, 2.0, 2.7)
            ctx.set_source_rgba(*rgba(INK))
            ctx.fill()
            ellipse(ctx, ex + look + 0.6, y - 0.9, 0.8, 0.8)
            ctx.set_source_rgba(1, 1, 1, 1)
            ctx.fill()


def moustache(ctx, cx, y, half):
    ctx.move_to(cx, y)
    ctx.curve_to(cx - half * 0.4, y - 1.6, cx - half * 0.9, y - 0.8, cx - half, y + 1.8)
    ctx.curve_to(cx - half * 0.6, y + 2.8, cx - half * 0.25, y + 2.2, cx, y + 1.4)
    ctx.curve_to(cx + half * 0.25, y + 2.2, cx + half * 0.6, y + 2.8, cx + half, y + 1.8)
    ctx.curve_to(cx + half * 0.9, y - 0.8, cx + half * 0.4, y - 1.6, cx, y)
    ctx.close_path()
    fill_stroke(ctx, MOUSTACHE, width=1.0)


def cook_face_front(ctx, cx, cy, face):
    ellipse(ctx, cx, cy, 12.5, 10.5)
    fill_stroke(ctx, radial(cx, cy, 13.5, [(0, SKIN), (0.7, SKIN), (1, SKIN_SHADE)],
                            fx=cx - 3, fy=cy - 4), width=1.6)
    for dx in (-12.3, 12.3):  # ears
        ellipse(ctx, cx + dx, cy + 1.0, 2.2, 3.0)
        fill_stroke(ctx, SKIN_SHADE, width=1.1)
    for dx in (-7.6, 7.6):  # cheeks
        ellipse(ctx, cx + dx, cy + 3.6, 2.4, 1.6)
        ctx.set_source_rgba(*rgba("#ff8a80", 0.65))
        ctx.fill()
    cook_eyes(ctx, (cx - 4.4, cx + 4.4), cy - 1.6, face)
    ellipse(ctx, cx, cy + 2.4, 2.4, 2.1)  # nose
    fill_stroke(ctx, radial(cx - 0.6, cy + 1.8, 3, [(0, "#ffd9b0"), (1, SKIN_SHADE)]), width=1.0)
    moustache(ctx, cx, cy + 4.4, 8.0)
    if face == "happy":
        ctx.arc(cx, cy + 6.6, 2.8, 0.1 * math.pi, 0.9 * math.pi)
        ctx.close_path()
        fill_stroke(ctx, "#a01c24", width=1.0)


def cook_body_front(ctx, top):
    rounded_rect(ctx, 13.0, top, 26.0, 14.5, 6)
    fill_stroke(ctx, linear(13, top, 39, top + 14.5, [(0, JACKET), (0.55, JACKET), (1, JACKET_SHADE)]),
                width=1.5)
    for x in (22.5, 29.5):
        for y in (top + 6.5, top + 10.5):
            ellipse(ctx, x, y, 1.1, 1.1)
            ctx.set_source_rgba(*rgba("#7d8aa5"))
            ctx.fill()
    polygon(ctx, [(19.5, top + 0.2), (32.5, top + 0.2), (26.0, top + 6.0)])
    fill_stroke(ctx, SCARF, width=1.1)


def cook_front(ctx, legs="stand", arms="down", face="normal"):
    """The cook seen from the front. legs: stand/left/right; arms: down/up/swingL/swingR."""
    body_top = 31.5
    lift = {"stand": (0, 0), "left": (-3.0, 0.0), "right": (0.0, -3.0)}[legs]
    for x, up in ((20.5, lift[0]), (31.5, lift[1])):
        limb(ctx, x, 44.0, x, 47.0 + up, TROUSERS, 6.4)
        shoe(ctx, x + (-1.2 if x < 26 else 1.2), 48.6 + up)
    shoulder_y = body_top + 3.5
    arm_targets = {
        "down": ((5.8, 42.0), (46.2, 42.0)),
        # kept off the corners: the victory hop turns the figure 15 degrees inside its box
        "up": ((8.5, 12.5), (43.5, 12.5)),
        "swingL": ((5.6, 37.0), (45.6, 44.5)),
        "swingR": ((6.4, 44.5), (46.4, 37.0)),
    }[arms]
    for (sx, (hx, hy)) in ((16.0, arm_targets[0]), (36.0, arm_targets[1])):
        limb(ctx, sx, shoulder_y, hx, hy, JACKET, 5.6, outline=1.5)
    cook_body_front(ctx, body_top)
    for (hx, hy) in arm_targets:
        hand(ctx, hx, hy)
    cook_face_front(ctx, 26.0, 22.5, face)
    chef_hat(ctx, 26.0, 13.0, tilt=-0.22 if face == "dead" else 0.0)


def cook_side(ctx, phase):
    """The cook walking right; phase 0 = stride, 1 = legs passing."""
    # back arm (behind body)
    back = (7.0, 40.5) if phase == 0 else (10.5, 43.0)
    limb(ctx, 22.0, 35.0, back[0], back[1], JACKET_SHADE, 5.2, outline=1.5)
    hand(ctx, back[0], back[1])
    # legs
    if phase == 0:
        legs = [((22.5, 43.5), (15.5, 47.0)), ((28.5, 43.5), (35.0, 47.0))]
    else:
        legs = [((24.0, 43.5), (22.5, 47.2)), ((27.5, 43.5), (29.5, 46.8))]
    for (x0, y0), (x1, y1) in legs:
        limb(ctx, x0, y0, x1, y1, TROUSERS, 6.4)
        shoe(ctx, x1 + 1.5, 48.6, forward=1.5)
    # body
    rounded_rect(ctx, 14.5, 31.5, 23.0, 14.0, 6)
    fill_stroke(ctx, linear(14, 31, 37, 45, [(0, JACKET), (0.6, JACKET), (1, JACKET_SHADE)]),
                width=1.5)
    for y in (38.0, 42.0):
        ellipse(ctx, 33.0, y, 1.1, 1.1)
        ctx.set_source_rgba(*rgba("#7d8aa5"))
        ctx.fill()
    polygon(ctx, [(26.0, 31.7), (37.0, 31.7), (34.0, 37.5)])
    fill_stroke(ctx, SCARF, width=1.1)
    # front arm, reaching ahead as he marches
    front = (45.0, 42.0) if phase == 0 else (43.0, 44.0)
    limb(ctx, 28.0, 35.0, front[0], front[1], JACKET, 5.6, outline=1.5)
    hand(ctx, front[0], front[1])
    # head in profile, looking the way he walks
    cx, cy = 25.0, 22.0
    ellipse(ctx, 14.0, 23.0, 2.2, 3.0)  # ear
    fill_stroke(ctx, SKIN_SHADE, width=1.1)
    ellipse(ctx, cx, cy, 12.2, 10.4)
    fill_stroke(ctx, radial(cx, cy, 13.5, [(0, SKIN), (0.7, SKIN), (1, SKIN_SHADE)],
                            fx=cx + 2, fy=cy - 4), width=1.6)
    ellipse(ctx, 15.8, 23.2, 2.0, 2.7)  # ear on the face's side
    fill_stroke(ctx, SKIN_SHADE, width=1.0)
    ellipse(ctx, 37.4, 24.2, 3.0, 2.5)  # nose
    fill_stroke(ctx, radial(36.6, 23.4, 3.5, [(0, "#ffd9b0"), (1, SKIN_SHADE)]), width=1.1)
    cook_eyes(ctx, (31.0,), 20.0, "normal", look=0.5)
    ctx.move_to(37.0, 26.6)
    ctx.curve_to(34.5, 25.6, 30.0, 26.2, 29.0, 29.0)
    ctx.curve_to(31.5, 29.8, 35.5, 29.2, 38.5, 27.8)
    ctx.close_path()
    fill_stroke(ctx, MOUSTACHE, width=1.0)
    ellipse(ctx, 31.8, 25.4, 2.2, 1.4)
    ctx.set_source_rgba(*rgba("#ff8a80", 0.6))
    ctx.fill()
    chef_hat(ctx, 23.5, 13.0, tilt=-0.1)


def draw_cook(ctx, pose):
    if pose == "stand":
        cook_front(ctx)
    elif pose in ("right0", "right1"):
        cook_side(ctx, int(pose[-1]))
    elif pose in ("left0", "left1"):
        mirrored(ctx, 52)
        cook_side(ctx, int(pose[-1]))
    elif pose == "updown0":
        cook_front(ctx, legs="left", arms="swingR")
    elif pose == "updown1":
        cook_front(ctx, legs="right", arms="swingL")
    elif pose == "cheer0":
        cook_front(ctx, arms="up", face="happy")
    elif pose == "cheer1":
        cook_front(ctx, legs="left", arms="up", face="happy")


def draw_fallen_cook(ctx):
    """52 x 65: the caught cook with a halo and little wings, floating away."""
    ctx.save()
    ctx.translate(0, 12.5)
    for side in (-1, 1):
        ctx.save()
        ctx.translate(26 + side * 13, 36)
        ctx.scale(side, 1)
        ctx.move_to(0, 0)
        ctx.curve_to(5, -9, 11, -10, 12.5, -4)
        ctx.curve_to(10, -2, 11, 2, 8, 3)
        ctx.curve_to(7, 6, 4, 6, 0, 4)
        ctx.close_path()
        fill_stroke(ctx, linear(0, -8, 0, 6, [(0, "#ffffff"), (1, "#bcd6ff")]), width=1.3)
        ctx.restore()
    cook_front(ctx, arms="up", face="dead")
    ctx.restore()
    # halo
    ellipse(ctx, 26, 5.0, 11.5, 3.2)
    ctx.set_source_rgba(*rgba(INK))
    ctx.set_line_width(4.0)
    ctx.stroke()
    ellipse(ctx, 26, 5.0, 11.5, 3.2)
    ctx.set_source_rgba(*rgba("#ffd84a"))
    ctx.set_line_width(2.2)
    ctx.stroke()


# --- monsters ----------------------------------------------------------------

def zzz(ctx, items):
    """Sleep letters: items = [(x, y, size)]; drawn unmirrored."""
    for x, y, size in items:
        text(ctx, "Z", x, y, size, ZZZ, stroke=INK, stroke_width=2.2)


def bubble(ctx, x, y, r):
    ellipse(ctx, x, y, r, r)
    ctx.set_source_rgba(*rgba("#c9f2ff", 0.55))
    ctx.fill_preserve()
    ctx.set_source_rgba(*rgba("#e9fbff", 0.95))
    ctx.set_line_width(1.0)
    ctx.stroke()
    ellipse(ctx, x - r * 0.35, y - r * 0.35, r * 0.22, r * 0.22)
    ctx.set_source_rgba(1, 1, 1, 0.9)
    ctx.fill()


def kmonster_body(ctx, phase=0, face="open", squash=(1.0, 1.0), slump=0.0):
    """The patrolling monster facing right: a purple one-eyed beast with horns.

    face: open, shock, x, drowsy, closed. squash scales about the bottom centre."""
    # drawn a little larger than its sketch, so that it fills most of its cell
    sx, sy = squash[0] * 1.09, squash[1] * 1.04
    ctx.save()
    ctx.translate(26, 50)
    ctx.scale(sx, sy)
    ctx.translate(-26, -50 + slump)
    bob = 0.0 if phase == 0 else 1.0
    # feet
    feet = ((16.5, 47.0), (34.0, 47.0)) if phase == 0 else ((22.0, 47.5), (29.5, 47.5))
    if face in ("drowsy", "closed"):
        feet = ((19.0, 47.5), (32.0, 47.5))
    for fx, fy in feet:
        ellipse(ctx, fx, fy, 5.4, 3.2)
        fill_stroke(ctx, radial(fx - 1, fy - 1, 6, [(0, "#ffd27a"), (1, KM_FEET)]), width=1.2)
    ctx.translate(0, bob)
    # back spikes
    for (x, y, a) in ((10.5, 22.0, 2.6), (9.0, 29.5, 2.9), (11.0, 37.0, 3.3)):
        polygon(ctx, [(x + 2.5, y - 3.5), (x - 5.0, y + math.cos(a)), (x + 2.5, y + 3.5)])
        fill_stroke(ctx, KM_LIGHT, width=1.1)
    # horns
    for (bx, by, tx, ty) in ((19.0, 14.5, 15.0, 4.5), (31.0, 13.5, 35.5, 3.5)):
        polygon(ctx, [(bx - 3.2, by + 1.0), (tx, ty), (bx + 3.2, by + 0.5)])
        fill_stroke(ctx, linear(bx, by, tx, ty, [(0, "#d7b962"), (1, HORN)]), width=1.1)
    # body
    ellipse(ctx, 26, 29, 18.0, 16.5)
    fill_stroke(ctx, radial(26, 30, 19, [(0, KM_LIGHT), (0.55, KM_MID), (1, KM_DARK)],
                            fx=30, fy=21), width=1.6)
    # belly
    ellipse(ctx, 28.5, 36.5, 10.0, 6.5)
    ctx.set_source_rgba(*rgba("#e7b9ff", 0.45))
    ctx.fill()
    # eye
    ex, ey = 33.0, 24.0
    if face == "shock":
        ellipse(ctx, ex, ey, 7.8, 8.4)
        fill_stroke(ctx, "#ffffff", width=1.4)
        ellipse(ctx, ex + 1.0, ey, 1.6, 1.6)
        ctx.set_source_rgba(*rgba(INK))
        ctx.fill()
    elif face == "x":
        ellipse(ctx, ex, ey, 7.0, 7.0)
        fill_stroke(ctx, "#f2e6ff", width=1.4)
        ctx.set_source_rgba(*rgba(INK))
        ctx.set_line_width(2.0)
        ctx.move_to(ex - 3.5, ey - 3.5)
        ctx.line_to(ex + 3.5, ey + 3.5)
        ctx.move_to(ex + 3.5, ey - 3.5)
        ctx.line_to(ex - 3.5, ey + 3.5)
        ctx.stroke()
    elif face in ("drowsy", "closed"):
        ellipse(ctx, ex, ey, 7.0, 7.0)
        fill_stroke(ctx, "#ffffff", width=1.4)
        if face == "drowsy":
            ellipse(ctx, ex + 2.0, ey + 2.2, 3.1, 3.1)
            ctx.set_source_rgba(*rgba(INK))
            ctx.fill()
            # heavy lid over the top half
            ctx.save()
            ellipse(ctx, ex, ey, 7.0, 7.0)
            ctx.clip()
            ctx.rectangle(ex - 8, ey - 8, 16, 8.5)
            ctx.set_source_rgba(*rgba(KM_MID))
            ctx.fill()
            ctx.restore()
            ctx.move_to(ex - 7, ey + 0.5)
            ctx.line_to(ex + 7, ey + 0.5)
        else:
            ellipse(ctx, ex, ey, 7.0, 7.0)
            ctx.set_source_rgba(*rgba(KM_MID))
            ctx.fill()
            ctx.arc(ex, ey - 1.0, 5.0, 0.15 * math.pi, 0.85 * math.pi)
        ctx.set_source_rgba(*rgba(INK))
        ctx.set_line_width(1.6)
        ctx.stroke()
    else:
        ellipse(ctx, ex, ey, 7.0, 7.0)
        fill_stroke(ctx, radial(ex, ey, 7.5, [(0, "#ffffff"), (0.8, "#ffffff"), (1, "#d9c6ff")]),
                    width=1.4)
        ellipse(ctx, ex + 2.4, ey + 0.6, 3.3, 3.6)
        ctx.set_source_rgba(*rgba("#e0a100"))
        ctx.fill()
        ellipse(ctx, ex + 2.8, ey + 0.6, 1.9, 2.4)
        ctx.set_source_rgba(*rgba(INK))
        ctx.fill()
        ellipse(ctx, ex + 1.5, ey - 1.2, 0.9, 0.9)
        ctx.set_source_rgba(1, 1, 1, 1)
        ctx.fill()
        # angry brow
        ctx.move_to(ex - 6.5, ey - 9.5)
        ctx.line_to(ex + 6.5, ey - 6.0)
        ctx.set_source_rgba(*rgba(INK))
        ctx.set_line_width(2.2)
        ctx.stroke()
    # mouth
    if face in ("drowsy", "closed"):
        ellipse(ctx, 35.0, 36.0, 2.4, 1.8)
        fill_stroke(ctx, "#5b0f1f", width=1.2)
    elif face in ("shock", "x"):
        ellipse(ctx, 34.0, 37.0, 4.0, 4.6)
        fill_stroke(ctx, "#5b0f1f", width=1.3)
    else:
        ctx.move_to(25.5, 34.5)
        ctx.curve_to(30, 36.5, 37, 36.0, 42.5, 32.0)
        ctx.curve_to(40.5, 40.0, 30.0, 42.0, 25.5, 34.5)
        ctx.close_path()
        fill_stroke(ctx, "#5b0f1f", width=1.3)
        for tx in (29.0, 34.0, 39.0):
            polygon(ctx, [(tx - 1.7, 35.2 + (tx - 29) * -0.12), (tx + 1.7, 35.0 + (tx - 29) * -0.2),
                          (tx, 38.4 + (tx - 29) * -0.15)])
            ctx.set_source_rgba(1, 1, 1, 1)
            ctx.fill()
    ctx.restore()


def gmonster_body(ctx, phase=2, mouth="closed", face="open", squash=(1.0, 1.0), slump=0.0):
    """The hunting monster seen from the front: a green spiky goblin with two red eyes.

    phase 1/2/3: left foot forward / both / right foot forward.
    mouth: closed, open, tongue. face: open, shock, x, drowsy, closed."""
    sx, sy = squash
    ctx.save()
    ctx.translate(26, 50)
    ctx.scale(sx, sy)
    ctx.translate(-26, -50 + slump)
    # feet
    lf, rf = {1: (0.0, -3.0), 2: (0.0, 0.0), 3: (-3.0, 0.0)}[phase]
    if face in ("drowsy", "closed"):
        lf, rf = 0.0, 0.0
    for x, up in ((18.5, lf), (33.5, rf)):
        ellipse(ctx, x, 47.3 + up, 5.6, 3.1)
        fill_stroke(ctx, GM_FEET, width=1.2)
        for k in (-3.2, 0.0, 3.2):
            ellipse(ctx, x + k, 49.3 + up, 1.1, 0.9)
            ctx.set_source_rgba(*rgba("#e8f5d0"))
            ctx.fill()
    # arms with claws
    arm_y = {1: (18.0, 34.0), 2: (27.0, 27.0), 3: (34.0, 18.0)}[phase]
    if face in ("drowsy", "closed"):
        arm_y = (38.0, 38.0)
    if face in ("shock", "x"):
        arm_y = (14.0, 14.0)
    for side, hy in ((-1, arm_y[0]), (1, arm_y[1])):
        sx0 = 26 + side * 13.0
        hx = 26 + side * 20.0
        limb(ctx, sx0, 31.0, hx, hy, GM_MID, 4.4)
        for k in (-1, 0, 1):
            ctx.move_to(hx, hy)
            ctx.line_to(hx + side * 2.6, hy + k * 2.4 - 1.0)
        ctx.set_source_rgba(*rgba("#f4f0d8"))
        ctx.set_line_width(1.2)
        ctx.stroke()
    # spikes
    for (x, y, tx, ty) in ((16.0, 14.0, 11.0, 4.0), (26.0, 10.5, 26.0, 0.8), (36.0, 14.0, 41.0, 4.0)):
        polygon(ctx, [(x - 4.0, y + 2.0), (tx, ty), (x + 4.0, y + 2.0)])
        fill_stroke(ctx, linear(x, y, tx, ty, [(0, GM_MID), (1, "#d9ff6e")]), width=1.1)
    # body
    ctx.move_to(26, 8.5)
    ctx.curve_to(40, 8.5, 43.5, 20, 43, 30)
    ctx.curve_to(42.5, 41, 36, 46, 26, 46)
    ctx.curve_to(16, 46, 9.5, 41, 9, 30)
    ctx.curve_to(8.5, 20, 12, 8.5, 26, 8.5)
    ctx.close_path()
    fill_stroke(ctx, radial(26, 28, 21, [(0, GM_LIGHT), (0.55, GM_MID), (1, GM_DARK)],
                            fx=22, fy=18), width=1.6)
    # warts
    for (x, y, r) in ((15.0, 33.0, 1.3), (37.5, 35.5, 1.1), (34.0, 14.5, 1.0)):
        ellipse(ctx, x, y, r, r)
        ctx.set_source_rgba(*rgba(GM_DARK, 0.6))
        ctx.fill()
    # eyes
    for side in (-1, 1):
        ex, ey = 26 + side * 6.8, 21.5
        if face == "shock":
            ellipse(ctx, ex, ey, 5.4, 6.4)
            fill_stroke(ctx, "#ffffff", width=1.3)
            ellipse(ctx, ex, ey, 1.3, 1.3)
            ctx.set_source_rgba(*rgba(INK))
            ctx.fill()
        elif face == "x":
            ctx.set_source_rgba(*rgba(INK))
            ctx.set_line_width(2.0)
            ctx.move_to(ex - 3, ey - 3)
            ctx.line_to(ex + 3, ey + 3)
            ctx.move_to(ex + 3, ey - 3)
            ctx.line_to(ex - 3, ey + 3)
            ctx.stroke()
        elif face == "drowsy":
            ellipse(ctx, ex, ey, 4.8, 5.6)
            fill_stroke(ctx, "#fffbe0", width=1.3)
            ellipse(ctx, ex, ey + 2.0, 2.3, 2.3)
            ctx.set_source_rgba(*rgba("#ff3b1f"))
            ctx.fill()
            ctx.save()
            ellipse(ctx, ex, ey, 4.8, 5.6)
            ctx.clip()
            ctx.rectangle(ex - 6, ey - 7, 12, 7.4)
            ctx.set_source_rgba(*rgba(GM_MID))
            ctx.fill()
            ctx.restore()
            ctx.move_to(ex - 4.8, ey + 0.4)
            ctx.line_to(ex + 4.8, ey + 0.4)
            ctx.set_source_rgba(*rgba(INK))
            ctx.set_line_width(1.4)
            ctx.stroke()
        elif face == "closed":
            ctx.arc(ex, ey - 0.5, 3.8, 0.15 * math.pi, 0.85 * math.pi)
            ctx.set_source_rgba(*rgba(INK))
            ctx.set_line_width(1.7)
            ctx.stroke()
        else:
            ellipse(ctx, ex, ey, 4.8, 5.6)
            fill_stroke(ctx, "#fffbe0", width=1.3)
            ellipse(ctx, ex + side * -0.6, ey + 0.8, 2.6, 2.9)
            ctx.set_source_rgba(*rgba("#ff3b1f"))
            ctx.fill()
            ellipse(ctx, ex + side * -0.6, ey + 0.8, 1.2, 1.6)
            ctx.set_source_rgba(*rgba(INK))
            ctx.fill()
            ctx.move_to(ex - side * 5.0, ey - 8.2)
            ctx.line_to(ex + side * 4.0, ey - 5.4)
            ctx.set_source_rgba(*rgba(INK))
            ctx.set_line_width(2.0)
            ctx.stroke()
    # mouth
    if face in ("drowsy", "closed"):
        ellipse(ctx, 26, 35.5, 3.0, 2.0)
        fill_stroke(ctx, "#3d0a12", width=1.2)
    elif face in ("shock", "x"):
        ellipse(ctx, 26, 36.0, 4.6, 5.0)
        fill_stroke(ctx, "#3d0a12", width=1.3)
    else:
        depth = {"closed": 4.0, "open": 8.0, "tongue": 8.0}[mouth]
        ctx.move_to(15.5, 31.0)
        ctx.curve_to(21, 33.0, 31, 33.0, 36.5, 31.0)
        ctx.curve_to(34, 31 + depth * 1.25, 18, 31 + depth * 1.25, 15.5, 31.0)
        ctx.close_path()
        fill_stroke(ctx, "#3d0a12", width=1.3)
        if mouth == "tongue":
            ctx.move_to(22.5, 35.5)
            ctx.curve_to(22.0, 44.5, 30.0, 44.5, 29.5, 35.5)
            ctx.close_path()
            fill_stroke(ctx, "#ff6f91", width=1.1)
        elif mouth == "open":
            ellipse(ctx, 26, 38.0, 4.0, 2.0)
            ctx.set_source_rgba(*rgba("#ff6f91"))
            ctx.fill()
        for tx in (19.0, 33.0):
            polygon(ctx, [(tx - 1.8, 32.0), (tx + 1.8, 32.0), (tx, 35.6)])
            ctx.set_source_rgba(1, 1, 1, 1)
            ctx.fill()
    ctx.restore()


def draw_kmonster(ctx, phase, facing):
    if facing == "left":
        mirrored(ctx, 52)
    kmonster_body(ctx, phase=phase)


def draw_gmonster(ctx, phase, mouth):
    gmonster_body(ctx, phase=phase, mouth=mouth)


SLEEP_FRAMES = [
    # (face, slump, letters [(x, y, size)], bubble radius)
    ("drowsy", 0.0, [], 0.0),
    ("closed", 1.0, [(44.0, 14.0, 9.0)], 0.0),
    ("closed", 1.5, [(40.0, 19.0, 8.0), (46.0, 11.0, 10.0)], 2.2),
    ("closed", 1.5, [(41.0, 17.0, 9.0), (46.0, 10.0, 11.0)], 3.6),
]


def draw_kmonster_asleep(ctx, frame, facing):
    face, slump, letters, bub = SLEEP_FRAMES[frame]
    ctx.save()
    if facing == "left":
        mirrored(ctx, 52)
    kmonster_body(ctx, phase=0, face=face, slump=slump)
    if bub:
        bubble(ctx, 40.0, 36.0 + slump, bub)
    ctx.restore()
    if facing == "left":
        letters = [(52 - x, y, s) for x, y, s in letters]
    zzz(ctx, letters)


def draw_gmonster_asleep(ctx, frame):
    face, slump, letters, bub = SLEEP_FRAMES[frame]
    gmonster_body(ctx, phase=2, face=face, slump=slump)
    if bub:
        bubble(ctx, 31.5, 37.0 + slump, bub)
    zzz(ctx, letters)


# Nine frames of a monster flattened by a ball: squash (x, y), face, stars, opacity.
DEATH_FRAMES = [
    ((1.00, 1.00), "shock", 0, 1.0),
    ((1.08, 0.80), "shock", 0, 1.0),
    ((1.16, 0.62), "x", 0, 1.0),
    ((1.24, 0.47), "x", 0, 1.0),
    ((1.30, 0.35), "x", 3, 1.0),
    ((1.35, 0.26), "x", 3, 1.0),
    ((1.38, 0.20), "x", 4, 1.0),
    ((1.40, 0.17), "x", 4, 0.75),
    ((1.40, 0.15), "x", 4, 0.45),
]


def death_stars(ctx, count, frame):
    for k in range(count):
        a = frame * 0.9 + k * 2 * math.pi / count
        x = 26 + 17 * math.cos(a)
        y = 36 + 5 * math.sin(a)
        star_path(ctx, x, y, 4.2, 1.8)
        fill_stroke(ctx, "#ffe14d", width=0.9)


def draw_death(ctx, kind, frame, facing="right"):
    squash, face, stars, alpha = DEATH_FRAMES[frame]
    ctx.push_group()
    ctx.save()
    if kind == "k":
        if facing == "left":
            mirrored(ctx, 52)
        kmonster_body(ctx, face=face, squash=squash)
    else:
        gmonster_body(ctx, face=face, squash=squash)
    ctx.restore()
    if frame >= 2:
        # splashes squeezed out at the sides
        spread = 6 + frame * 2.2
        for side in (-1, 1):
            ellipse(ctx, 26 + side * spread * 1.6, 48.5, 2.0 + frame * 0.25, 1.3)
            ctx.set_source_rgba(*rgba(KM_MID if kind == "k" else GM_MID))
            ctx.fill()
    if stars:
        death_stars(ctx, stars, frame)
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)


# --- things ------------------------------------------------------------------

def draw_ball(ctx, colour):
    if colour == "blue":
        stops = [(0, "#d6f1ff"), (0.25, "#62b8ff"), (0.7, "#1f5fd6"), (1, "#0a2464")]
    else:
        stops = [(0, "#ffe0d6"), (0.25, "#ff6b57"), (0.7, "#d4161b"), (1, "#5e0707")]
    ellipse(ctx, 26, 26, 25.0, 25.0)
    fill_stroke(ctx, radial(26, 26, 25.5, stops, fx=18, fy=16), width=2.0)
    if colour == "blue":
        # the blue ball carries the door's star: it is the key of the level
        star_path(ctx, 26, 27.5, 10.5, 4.6)
        fill_stroke(ctx, linear(0, 17, 0, 38, [(0, "#ffffff"), (1, "#cfe6ff")]),
                    stroke="#0a2464", width=1.3)
    else:
        # a band marks the red ball as the breakable one
        ctx.save()
        ellipse(ctx, 26, 26, 25.0, 25.0)
        ctx.clip()
        ctx.move_to(2, 31)
        ctx.curve_to(16, 36, 36, 36, 50, 31)
        ctx.set_source_rgba(*rgba("#5e0707", 0.9))
        ctx.set_line_width(4.0)
        ctx.stroke()
        ctx.move_to(2, 31)
        ctx.curve_to(16, 36, 36, 36, 50, 31)
        ctx.set_source_rgba(*rgba("#ffb199", 0.9))
        ctx.set_line_width(1.4)
        ctx.stroke()
        ctx.restore()
    ellipse(ctx, 18.5, 15.5, 7.5, 4.8)
    ctx.set_source_rgba(1, 1, 1, 0.75)
    ctx.fill()
    ellipse(ctx, 16.5, 14.5, 2.6, 1.7)
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.fill()


def draw_door(ctx):
    """The goal: an arched gateway in a gold frame with the blue ball's star."""
    ctx.move_to(1.2, 51)
    ctx.line_to(1.2, 19)
    ctx.curve_to(1.2, 5, 13, 1.0, 26, 1.0)
    ctx.curve_to(39, 1.0, 50.8, 5, 50.8, 19)
    ctx.line_to(50.8, 51)
    ctx.close_path()
    fill_stroke(ctx, linear(0, 0, 52, 52, [(0, "#fff0a0"), (0.5, "#f2b705"), (1, "#9a6400")]),
                width=1.6)
    ctx.move_to(8, 51)
    ctx.line_to(8, 20)
    ctx.curve_to(8, 10, 16, 7.0, 26, 7.0)
    ctx.curve_to(36, 7.0, 44, 10, 44, 20)
    ctx.line_to(44, 51)
    ctx.close_path()
    fill_stroke(ctx, radial(26, 30, 28, [(0, "#5fb6ff"), (0.45, "#1f4fb8"), (1, "#071a4d")]),
                stroke="#5a3a00", width=1.2)
    ctx.save()
    ctx.set_source_rgba(1, 1, 1, 0.35)
    for k in range(3):
        ellipse(ctx, 26, 31, 6 + k * 5, 6 + k * 5)
        ctx.set_line_width(0.8)
        ctx.stroke()
    ctx.restore()
    star_path(ctx, 26, 30, 9.5, 4.0)
    fill_stroke(ctx, linear(0, 21, 0, 39, [(0, "#ffffff"), (1, "#a9d8ff")]), stroke="#071a4d",
                width=1.1)
    for x in (5, 47):
        for y in (24, 34, 44):
            ellipse(ctx, x, y, 1.1, 1.1)
            ctx.set_source_rgba(*rgba("#6b4300"))
            ctx.fill()
    rounded_rect(ctx, 0.8, 46.2, 50.4, 5.0, 1.5)
    fill_stroke(ctx, linear(0, 46, 0, 52, [(0, "#ffe27a"), (1, "#a86e00")]), width=1.1)


def draw_mushroom(ctx):
    """Drawn on a 52-unit cell and shown at a quarter of that area: one bold cap with three
    big spots on a short stem, so that it still reads as a mushroom at 13 pixels."""
    # stem
    ctx.move_to(17.5, 28.0)
    ctx.curve_to(16.5, 37.0, 15.0, 44.0, 17.5, 48.0)
    ctx.curve_to(21.0, 51.0, 31.0, 51.0, 34.5, 48.0)
    ctx.curve_to(37.0, 44.0, 35.5, 37.0, 34.5, 28.0)
    ctx.close_path()
    fill_stroke(ctx, linear(15, 0, 37, 0, [(0, "#fffaf0"), (0.55, "#f3e6c8"), (1, "#c9b282")]),
                width=2.6)
    # cap
    ctx.move_to(1.8, 29.0)
    ctx.curve_to(1.0, 11.0, 13.0, 1.8, 26.0, 1.8)
    ctx.curve_to(39.0, 1.8, 51.0, 11.0, 50.2, 29.0)
    ctx.curve_to(40.0, 34.5, 12.0, 34.5, 1.8, 29.0)
    ctx.close_path()
    fill_stroke(ctx, radial(26, 20, 28, [(0, "#ff7a6b"), (0.55, "#e0271f"), (1, "#8c0f12")],
                            fx=18, fy=9), width=2.6)
    for (x, y, rx, ry) in ((26.0, 10.5, 6.2, 4.6), (11.5, 21.0, 4.6, 4.4), (40.5, 21.0, 4.6, 4.4)):
        ellipse(ctx, x, y, rx, ry)
        fill_stroke(ctx, "#fffdf4", stroke="#8c0f12", width=1.0)
    ellipse(ctx, 16.0, 9.0, 4.0, 2.2)
    ctx.set_source_rgba(1, 1, 1, 0.5)
    ctx.fill()


BLOCK_STYLES = {
    41: {"face": "#9fe3ff", "light": "#f0fdff", "dark": "#2f7fb8", "deco": "sparkle"},
    42: {"face": "#4f8df0", "light": "#c9e1ff", "dark": "#1b3f8f", "deco": "crack"},
    43: {"face": "#b9a2ff", "light": "#f1ebff", "dark": "#5a3fb0", "deco": "facets"},
    44: {"face": "#8fd8f5", "light": "#f5fdff", "dark": "#2c76a3", "deco": "snow"},
    45: {"face": "#66dcc4", "light": "#e4fff8", "dark": "#1d7d6b", "deco": "bricks"},
}


def draw_block(ctx, number):
    st = BLOCK_STYLES[number]
    rounded_rect(ctx, 0, 0, 52, 52, 3.0)
    ctx.set_source_rgba(*rgba(st["dark"]))
    ctx.fill()
    # bevel: light top-left, dark bottom-right
    polygon(ctx, [(0, 0), (52, 0), (46, 6), (6, 6), (6, 46), (0, 52)])
    ctx.set_source_rgba(*rgba(st["light"], 0.9))
    ctx.fill()
    rounded_rect(ctx, 5.5, 5.5, 41, 41, 2.0)
    ctx.set_source(linear(6, 6, 46, 46, [(0, mix(st["face"], st["light"], 0.35)),
                                         (0.55, st["face"]), (1, mix(st["face"], st["dark"], 0.35))]))
    ctx.fill()
    ctx.save()
    rounded_rect(ctx, 5.5, 5.5, 41, 41, 2.0)
    ctx.clip()
    # a diagonal sheen gives every style its icy gloss
    polygon(ctx, [(6, 30), (30, 6), (38, 6), (6, 38)])
    ctx.set_source_rgba(1, 1, 1, 0.28)
    ctx.fill()
    deco = st["deco"]
    ctx.set_line_width(1.2)
    if deco == "sparkle":
        sparkle(ctx, 15, 15, 5.0)
        sparkle(ctx, 37, 35, 3.0, alpha=0.8)
    elif deco == "crack":
        ctx.move_to(30, 6)
        for p in ((27, 15), (33, 22), (28, 31), (34, 40), (31, 46)):
            ctx.line_to(*p)
        ctx.move_to(33, 22)
        ctx.line_to(42, 26)
        ctx.move_to(28, 31)
        ctx.line_to(18, 35)
        ctx.set_source_rgba(*rgba(st["light"], 0.95))
        ctx.stroke()
        sparkle(ctx, 14, 14, 3.5, alpha=0.9)
    elif deco == "facets":
        ctx.set_source_rgba(*rgba(st["light"], 0.7))
        for a, b in (((6, 26), (26, 6)), ((26, 6), (46, 26)), ((46, 26), (26, 46)),
                     ((26, 46), (6, 26))):
            ctx.move_to(*a)
            ctx.line_to(*b)
        ctx.stroke()
        star_path(ctx, 26, 26, 5.5, 2.2, points=4, rotation=0)
        ctx.set_source_rgba(1, 1, 1, 0.85)
        ctx.fill()
    elif deco == "snow":
        ctx.move_to(0, 0)
        ctx.line_to(52, 0)
        ctx.line_to(52, 16)
        for x, y in ((44, 19), (38, 15), (31, 20), (24, 16), (17, 21), (10, 16), (4, 19), (0, 17)):
            ctx.line_to(x, y)
        ctx.close_path()
        ctx.set_source(linear(0, 0, 0, 21, [(0, "#ffffff"), (1, "#dcecff")]))
        ctx.fill()
        for (x, y) in ((14, 32), (35, 38), (24, 42)):
            sparkle(ctx, x, y, 2.8, alpha=0.9)
    elif deco == "bricks":
        ctx.set_source_rgba(*rgba(st["dark"], 0.8))
        ctx.move_to(6, 26)
        ctx.line_to(46, 26)
        ctx.move_to(26, 6)
        ctx.line_to(26, 26)
        ctx.move_to(16, 26)
        ctx.line_to(16, 46)
        ctx.move_to(36, 26)
        ctx.line_to(36, 46)
        ctx.stroke()
        sparkle(ctx, 14, 14, 3.0, alpha=0.9)
        sparkle(ctx, 38, 16, 2.2, alpha=0.8)
    ctx.restore()
    rounded_rect(ctx, 0.5, 0.5, 51, 51, 3.0)
    ctx.set_source_rgba(*rgba(st["dark"]))
    ctx.set_line_width(1.0)
    ctx.stroke()


def cloud(ctx, cx, cy, scale, colour, alpha, seed):
    rnd = Lcg(seed)
    ctx.push_group()
    blobs = [(0, 0, 1.0)]
    for k in range(7):
        a = k * 2 * math.pi / 7 + rnd.uniform(-0.3, 0.3)
        blobs.append((math.cos(a) * 0.85, math.sin(a) * 0.7, rnd.uniform(0.55, 0.8)))
    for (bx, by, br) in blobs:
        ellipse(ctx, cx + bx * 12 * scale, cy + by * 12 * scale, br * 10 * scale, br * 10 * scale)
        ctx.set_source(radial(cx + bx * 12 * scale, cy + by * 12 * scale, br * 10 * scale,
                              [(0, "#ffffff"), (1, colour)], fx=cx + bx * 12 * scale - 3 * scale,
                              fy=cy + by * 12 * scale - 3 * scale))
        ctx.fill()
    ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)


def draw_puff(ctx, frame):
    """Five frames (figures 28..32) of a smoke puff that swells and fades."""
    scale = [0.45, 0.7, 0.9, 1.05, 1.15][frame]
    alpha = [1.0, 0.95, 0.8, 0.55, 0.3][frame]
    cloud(ctx, 26, 27, scale, "#b8bfcc", alpha, seed=28)
    rnd = Lcg(100 + frame)
    for k in range(frame + 2):
        a = k * 2.4 + frame * 0.5
        r = 10 + frame * 4.5
        ellipse(ctx, 26 + r * math.cos(a), 27 + r * math.sin(a) * 0.8, 1.6, 1.6)
        ctx.set_source_rgba(*rgba("#dfe6f2", alpha * rnd.uniform(0.6, 1.0)))
        ctx.fill()


def draw_fog(ctx, frame):
    """Six frames (figures 60..65) of icy frost that bursts and melts away."""
    t = frame / 5.0
    r = 6 + 18 * t
    alpha = 1.0 - 0.8 * t
    ctx.save()
    ellipse(ctx, 26, 26, r, r)
    ctx.set_source(radial(26, 26, r, [(0, "#ffffff"), (0.5, "#bff0ff"), (1, "#5bc8ff")]))
    ctx.save()
    ctx.clip()
    ctx.paint_with_alpha(0.55 * alpha)
    ctx.restore()
    ellipse(ctx, 26, 26, r, r)
    ctx.set_source_rgba(*rgba("#e9fbff", alpha))
    ctx.set_line_width(2.0 - t)
    ctx.stroke()
    rnd = Lcg(600 + frame)
    for k in range(8):
        a = k * math.pi / 4 + frame * 0.35
        d = 6 + 16 * t + rnd.uniform(-2, 2)
        sparkle(ctx, 26 + d * math.cos(a), 26 + d * math.sin(a), 4.5 - 2.5 * t, "#ffffff", alpha)
    sparkle(ctx, 26, 26, 9 * (1 - t) + 2, "#ffffff", alpha)
    ctx.restore()


def draw_touch(ctx, frame):
    """Five 200 x 100 frames of a ripple where the player tapped; the last one is empty."""
    if frame >= 4:
        return
    for k in range(3):
        t = frame / 4.0 + k * 0.18
        if t > 1.0:
            continue
        rx, ry = 18 + 78 * t, 9 + 39 * t
        a = (1.0 - t) * (1.0 - k * 0.25)
        ellipse(ctx, 100, 50, rx, ry)
        ctx.set_source_rgba(*rgba("#ffe14d", a))
        ctx.set_line_width(5.0 - 3.0 * t)
        ctx.stroke()
        ellipse(ctx, 100, 50, rx, ry)
        ctx.set_source_rgba(1, 1, 1, a * 0.8)
        ctx.set_line_width(1.5)
        ctx.stroke()
    ellipse(ctx, 100, 50, 7 - frame * 1.5, 3.5 - frame * 0.75)
    ctx.set_source_rgba(*rgba("#ffffff", 1.0 - frame * 0.25))
    ctx.fill()


def draw_probe(ctx):
    """The tap probe: never shown, its size is the tolerance of a tap on a monster."""
    ellipse(ctx, 13, 13, 10, 10)
    ctx.set_source_rgba(*rgba("#ffe14d"))
    ctx.set_line_width(2.0)
    ctx.stroke()
    for (x0, y0, x1, y1) in ((13, 1, 13, 8), (13, 18, 13, 25), (1, 13, 8, 13), (18, 13, 25, 13)):
        ctx.move_to(x0, y0)
        ctx.line_to(x1, y1)
    ctx.stroke()


def draw_bonus(ctx):
    """The 1000-point label over a crushed monster."""
    gold = linear(0, 10, 0, 44, [(0, "#fffbd0"), (0.45, "#ffd23f"), (1, "#e07b00")])
    text(ctx, "1000", 52, 42, 34, gold, stroke=INK, stroke_width=4.5,
         shadow=(2, 2, "#7a2d00"))
    sparkle(ctx, 90, 12, 6.0)
    sparkle(ctx, 10, 40, 4.0, alpha=0.9)
