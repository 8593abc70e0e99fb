#!/usr/bin/python3
"""Draws the pictures of the window layouts into forms/*.png (normal alpha, no colour key).

Every picture is drawn at twice its size in the 960 x 600 (or 640 x 480) layout, so that
it stays sharp when the window is maximised; the layout scales it down to its box.
Usage: make_forms.py [forms-dir]
"""
import math
import os
import sys

import kart
import sprites
from kart import INK, ellipse, fill_stroke, linear, polygon, radial, rgba, rounded_rect, star_path, text

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))

BADGE_FILL = "#10224d"
BADGE_RIM = "#9fd8ff"
GLYPH = "#ffffff"
ARROW = "#ffd21f"


def canvas(size):
    """A square surface with a 100 x 100 drawing space."""
    s, ctx = kart.new(size, size)
    ctx.scale(size / 100.0, size / 100.0)
    return s, ctx


def badge(ctx, rim=BADGE_RIM, fill=BADGE_FILL, alpha=0.88):
    ellipse(ctx, 50, 50, 46, 46)
    ctx.set_source(radial(50, 50, 48, [(0, rgba(fill, alpha)), (1, rgba("#040a1f", alpha))], fx=40, fy=32))
    ctx.fill_preserve()
    ctx.set_source_rgba(*rgba(rim))
    ctx.set_line_width(4)
    ctx.stroke()
    ctx.save()
    ellipse(ctx, 50, 50, 46, 46)
    ctx.clip()
    ellipse(ctx, 42, 22, 34, 16)
    ctx.set_source_rgba(1, 1, 1, 0.10)
    ctx.fill()
    ctx.restore()


def glyph_path_stroke(ctx, colour=GLYPH, width=8):
    ctx.set_source_rgba(*rgba(colour))
    ctx.set_line_width(width)
    ctx.stroke()


def filled(ctx, colour=GLYPH, outline=INK, width=3.0):
    fill_stroke(ctx, colour, stroke=outline, width=width)


# --- navigation buttons ------------------------------------------------------

def arrow(direction):
    def draw(ctx):
        badge(ctx, rim=ARROW)
        ctx.save()
        ctx.translate(50, 50)
        ctx.rotate({"right": 0, "down": math.pi / 2, "left": math.pi, "up": -math.pi / 2}[direction])
        polygon(ctx, [(-24, -11), (2, -11), (2, -26), (29, 0), (2, 26), (2, 11), (-24, 11)])
        fill_stroke(ctx, linear(0, -26, 0, 26, [(0, "#fff4a0"), (0.5, ARROW), (1, "#e08a00")]),
                    stroke="#3a2500", width=3.5)
        ctx.restore()
    return draw


def mushroom_button(ctx):
    badge(ctx, rim=ARROW)
    ctx.save()
    ctx.translate(50 - 36, 50 - 36)
    ctx.scale(72 / 52.0, 72 / 52.0)
    sprites.draw_mushroom(ctx)
    ctx.restore()


# --- menu icons --------------------------------------------------------------

def icon_menu(ctx):
    badge(ctx)
    for y in (33, 50, 67):
        ctx.move_to(28, y)
        ctx.line_to(72, y)
    glyph_path_stroke(ctx, width=9)


def icon_off(ctx):
    badge(ctx, rim="#ff8a80")
    ctx.arc(50, 53, 21, -math.pi * 0.32, math.pi * 1.32)
    glyph_path_stroke(ctx, "#ff6b6b", 9)
    ctx.move_to(50, 24)
    ctx.line_to(50, 50)
    glyph_path_stroke(ctx, "#ff6b6b", 9)


def icon_help(ctx):
    badge(ctx)
    text(ctx, "?", 50, 71, 60, GLYPH)


def icon_hand(ctx):
    badge(ctx)
    # a pointing hand: palm, folded fingers, raised index finger
    rounded_rect(ctx, 43, 18, 12, 38, 6)
    filled(ctx, "#f6c28b")
    ctx.move_to(34, 48)
    ctx.curve_to(34, 42, 70, 42, 70, 50)
    ctx.line_to(70, 68)
    ctx.curve_to(70, 80, 60, 84, 50, 84)
    ctx.curve_to(40, 84, 32, 78, 31, 68)
    ctx.close_path()
    filled(ctx, "#f6c28b")
    for x in (57, 65):
        ctx.move_to(x, 47)
        ctx.line_to(x, 56)
    ctx.set_source_rgba(*rgba("#b06b36"))
    ctx.set_line_width(2.5)
    ctx.stroke()
    ellipse(ctx, 49, 13, 9, 3)
    ctx.set_source_rgba(*rgba(ARROW, 0.9))
    ctx.set_line_width(2.5)
    ctx.stroke()


def icon_gamepad(ctx):
    badge(ctx)
    ctx.move_to(24, 38)
    ctx.curve_to(30, 32, 70, 32, 76, 38)
    ctx.curve_to(86, 52, 88, 72, 78, 74)
    ctx.curve_to(70, 76, 66, 64, 60, 62)
    ctx.line_to(40, 62)
    ctx.curve_to(34, 64, 30, 76, 22, 74)
    ctx.curve_to(12, 72, 14, 52, 24, 38)
    ctx.close_path()
    filled(ctx, "#e8eefc")
    rounded_rect(ctx, 27, 45, 14, 5, 1)
    rounded_rect(ctx, 31.5, 40.5, 5, 14, 1)
    ctx.set_source_rgba(*rgba("#2c3550"))
    ctx.fill()
    for (x, y, c) in ((64, 42, "#ff5f5f"), (71, 48, "#ffd21f"), (57, 48, "#4fb3ff"), (64, 54, "#5fdc6b")):
        ellipse(ctx, x, y, 3.6, 3.6)
        ctx.set_source_rgba(*rgba(c))
        ctx.fill()


def speaker(ctx):
    polygon(ctx, [(24, 40), (36, 40), (52, 26), (52, 74), (36, 60), (24, 60)])
    filled(ctx)


def icon_speaker_on(ctx):
    badge(ctx)
    speaker(ctx)
    for r in (12, 22):
        ctx.arc(52, 50, r, -math.pi / 4, math.pi / 4)
        ctx.new_sub_path()
    glyph_path_stroke(ctx, GLYPH, 6)


def icon_speaker_off(ctx):
    badge(ctx, rim="#ff8a80")
    speaker(ctx)
    ctx.move_to(60, 40)
    ctx.line_to(78, 60)
    ctx.move_to(78, 40)
    ctx.line_to(60, 60)
    glyph_path_stroke(ctx, "#ff6b6b", 7)


def icon_fullscreen(ctx):
    badge(ctx)
    for sx, sy in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
        ctx.move_to(50 + sx * 25, 50 + sy * 9)
        ctx.line_to(50 + sx * 25, 50 + sy * 25)
        ctx.line_to(50 + sx * 9, 50 + sy * 25)
    glyph_path_stroke(ctx, GLYPH, 7)


def icon_pause(ctx):
    badge(ctx)
    for x in (36, 56):
        rounded_rect(ctx, x, 28, 10, 44, 3)
        ctx.set_source_rgba(*rgba(GLYPH))
        ctx.fill()


def icon_play(ctx):
    badge(ctx)
    polygon(ctx, [(38, 27), (74, 50), (38, 73)])
    ctx.set_source_rgba(*rgba("#7dff8a"))
    ctx.fill()


def icon_kill(ctx):
    badge(ctx, rim="#ff8a80")
    # a skull: abandon the game
    ctx.move_to(30, 50)
    ctx.curve_to(28, 28, 72, 28, 70, 50)
    ctx.curve_to(70, 58, 64, 60, 63, 64)
    ctx.line_to(63, 72)
    ctx.line_to(37, 72)
    ctx.line_to(37, 64)
    ctx.curve_to(36, 60, 30, 58, 30, 50)
    ctx.close_path()
    filled(ctx, "#f4f1ea")
    for x in (41, 59):
        ellipse(ctx, x, 49, 6, 7)
        ctx.set_source_rgba(*rgba(INK))
        ctx.fill()
    polygon(ctx, [(50, 55), (46, 62), (54, 62)])
    ctx.fill()
    for x in (44, 50, 56):
        ctx.move_to(x, 66)
        ctx.line_to(x, 72)
    ctx.set_line_width(2)
    ctx.stroke()


# --- start form and difficulty -----------------------------------------------

DIFFICULTY = {
    "easy": ("#3ddc5f", lambda ctx: sprites.draw_cook(ctx, "cheer0"), 1),
    "hard": ("#ff9f1c", lambda ctx: sprites.draw_kmonster(ctx, 0, "right"), 2),
    "crazy": ("#ff3b3b", lambda ctx: sprites.draw_gmonster(ctx, 1, "open"), 3),
}


def difficulty(name, black):
    colour, figure, stars = DIFFICULTY[name]

    def draw(ctx):
        if black:
            rounded_rect(ctx, 1, 1, 98, 98, 16)
            ctx.set_source_rgb(0, 0, 0)
            ctx.fill()
        ellipse(ctx, 50, 46, 40, 40)
        ctx.set_source(radial(50, 46, 42, [(0, rgba(colour, 0.35)), (1, rgba(colour, 0.05))]))
        ctx.fill_preserve()
        ctx.set_source_rgba(*rgba(colour))
        ctx.set_line_width(6)
        ctx.stroke()
        ctx.save()
        ctx.translate(50 - 34, 46 - 36)
        ctx.scale(68 / 52.0, 68 / 52.0)
        figure(ctx)
        ctx.restore()
        for k in range(stars):
            x = 50 + (k - (stars - 1) / 2.0) * 18
            star_path(ctx, x, 88, 9, 4)
            fill_stroke(ctx, "#ffe14d", stroke=INK, width=2)
    return draw


def rakete(ctx):
    ctx.save()
    ctx.translate(50, 50)
    ctx.rotate(math.pi / 4)
    # flame
    polygon(ctx, [(-9, 30), (0, 50), (9, 30)])
    fill_stroke(ctx, linear(0, 30, 0, 50, [(0, "#ffe14d"), (1, "#ff4a1c")]), stroke=None)
    # fins
    for side in (-1, 1):
        polygon(ctx, [(side * 12, 10), (side * 24, 32), (side * 10, 28)])
        fill_stroke(ctx, "#e8383d", width=3)
    ctx.move_to(0, -44)
    ctx.curve_to(18, -28, 16, 10, 12, 30)
    ctx.line_to(-12, 30)
    ctx.curve_to(-16, 10, -18, -28, 0, -44)
    ctx.close_path()
    fill_stroke(ctx, linear(-16, 0, 16, 0, [(0, "#ffffff"), (0.6, "#dfe6f5"), (1, "#98a6c4")]), width=3.5)
    ellipse(ctx, 0, -10, 7, 7)
    fill_stroke(ctx, radial(0, -10, 7, [(0, "#bff0ff"), (1, "#2a7de1")], fx=-2, fy=-12), width=3)
    ctx.restore()


def hantel(ctx):
    ctx.save()
    ctx.translate(50, 50)
    ctx.rotate(-math.pi / 8)
    rounded_rect(ctx, -30, -5, 60, 10, 4)
    fill_stroke(ctx, linear(0, -5, 0, 5, [(0, "#e6ecf5"), (1, "#7d8aa5")]), width=3)
    for side in (-1, 1):
        for k, (w, h) in enumerate(((10, 46), (9, 34))):
            x = side * 30 + (0 if side > 0 else -w) + side * k * 9
            rounded_rect(ctx, x, -h / 2, w, h, 3)
            fill_stroke(ctx, linear(0, -h / 2, 0, h / 2, [(0, "#5b72a8"), (1, "#1f2a4d")]), width=3)
    ctx.restore()


def ok_key(ctx):
    ellipse(ctx, 50, 50, 44, 44)
    fill_stroke(ctx, radial(50, 50, 46, [(0, "#7dff8a"), (1, "#16a34a")], fx=40, fy=32), width=4)
    ctx.move_to(28, 52)
    ctx.line_to(44, 67)
    ctx.line_to(73, 34)
    glyph_path_stroke(ctx, "#ffffff", 11)


def delete_key(ctx):
    polygon(ctx, [(6, 50), (30, 20), (92, 20), (92, 80), (30, 80)])
    fill_stroke(ctx, linear(0, 20, 0, 80, [(0, "#ff7ad9"), (1, "#c0159a")]), width=4)
    ctx.move_to(46, 36)
    ctx.line_to(74, 64)
    ctx.move_to(74, 36)
    ctx.line_to(46, 64)
    glyph_path_stroke(ctx, "#ffffff", 9)


def exit_key(ctx):
    badge(ctx)
    ctx.arc_negative(52, 56, 20, math.pi * 0.2, -math.pi * 0.55)
    glyph_path_stroke(ctx, GLYPH, 8)
    polygon(ctx, [(26, 36), (48, 20), (48, 48)])
    ctx.set_source_rgba(*rgba(GLYPH))
    ctx.fill()


# --- start-menu decoration ----------------------------------------------------

def robot(frame):
    """The start menu's robot: 0 base, 1 blinking with a red antenna light, 2 waving."""
    def draw(ctx):
        steel = linear(20, 0, 80, 0, [(0, "#e6ecf5"), (0.5, "#b8c4d9"), (1, "#6f7e9c")])
        # antenna
        ctx.move_to(50, 20)
        ctx.line_to(50, 9)
        ctx.set_source_rgba(*rgba(INK))
        ctx.set_line_width(3)
        ctx.stroke()
        ellipse(ctx, 50, 8, 4.5, 4.5)
        fill_stroke(ctx, "#ff3b3b" if frame == 1 else "#ffd21f", width=2)
        # legs
        for x in (38, 62):
            rounded_rect(ctx, x - 5, 76, 10, 14, 3)
            fill_stroke(ctx, "#6f7e9c", width=2.5)
            rounded_rect(ctx, x - 8, 88, 16, 7, 3)
            fill_stroke(ctx, "#3b4766", width=2.5)
        # arms
        left_hand = (18, 66)
        right_hand = (84, 30) if frame == 2 else (82, 66)
        for (sx, (hx, hy)) in ((28, left_hand), (72, right_hand)):
            sprites.limb(ctx, sx, 54, hx, hy, "#9aa8c2", 6, outline=1.8)
            ellipse(ctx, hx, hy, 5, 5)
            fill_stroke(ctx, "#ffd21f", width=2)
        # body
        rounded_rect(ctx, 27, 48, 46, 30, 7)
        fill_stroke(ctx, steel, width=3)
        rounded_rect(ctx, 40, 56, 20, 12, 3)
        fill_stroke(ctx, "#10224d", width=2)
        for k, c in enumerate(("#ff5f5f", "#ffd21f", "#5fdc6b")):
            ellipse(ctx, 45 + k * 5, 62, 1.8, 1.8)
            ctx.set_source_rgba(*rgba(c))
            ctx.fill()
        # head
        rounded_rect(ctx, 28, 19, 44, 30, 9)
        fill_stroke(ctx, steel, width=3)
        rounded_rect(ctx, 33, 25, 34, 16, 6)
        fill_stroke(ctx, "#10224d", width=2)
        for x in (42, 58):
            if frame == 1:
                ctx.move_to(x - 4, 33)
                ctx.line_to(x + 4, 33)
                glyph_path_stroke(ctx, "#5fd0ff", 2.5)
            else:
                ellipse(ctx, x, 33, 4, 4)
                ctx.set_source_rgba(*rgba("#5fd0ff"))
                ctx.fill()
    return draw


def monster1(frame):
    """The purple patrol monster hopping: frames 1..3 crouch, rise and float."""
    lift = [0, -2, 6, 11][frame]
    squash = [(1.0, 1.0), (1.12, 0.86), (0.94, 1.06), (1.0, 1.0)][frame]

    def draw(ctx):
        ellipse(ctx, 50, 93, 26 - lift, 4)
        ctx.set_source_rgba(0, 0, 0, 0.35)
        ctx.fill()
        ctx.translate(50 - 45, 95 - 90 - lift)
        ctx.scale(90 / 52.0, 90 / 52.0)
        ctx.translate(26, 50)
        ctx.scale(*squash)
        ctx.translate(-26, -50)
        sprites.kmonster_body(ctx, phase=1 if frame == 3 else 0)
    return draw


def monster2(frame):
    """The green hunter grimacing: 1 growls, 2 sticks its tongue out, 3 steps aside."""
    pose = [(2, "closed"), (1, "open"), (2, "tongue"), (3, "open")][frame]

    def draw(ctx):
        ctx.translate(50 - 45, 5)
        ctx.scale(90 / 52.0, 90 / 52.0)
        sprites.gmonster_body(ctx, phase=pose[0], mouth=pose[1])
    return draw


# --- link icons -------------------------------------------------------------------

def tile(ctx, top, bottom):
    rounded_rect(ctx, 4, 4, 92, 92, 20)
    fill_stroke(ctx, linear(0, 4, 0, 96, [(0, top), (1, bottom)]), stroke="#ffffff", width=3)


def link_kirpo(ctx):
    tile(ctx, "#4fa8ff", "#0b2f7a")
    ctx.save()
    ctx.translate(50 - 40, 4)
    ctx.scale(80 / 52.0, 80 / 52.0)
    sprites.draw_cook(ctx, "stand")
    ctx.restore()


def link_korvane(ctx):
    tile(ctx, "#9b5cff", "#2a0b6b")
    ctx.save()
    ctx.translate(0, 0)
    rakete(ctx)
    ctx.restore()


def link_sprekko(ctx):
    tile(ctx, "#ff9f1c", "#a33a00")
    for (x, y, c) in ((34, 40, "#ffffff"), (64, 58, "#ffe14d")):
        rounded_rect(ctx, x - 22, y - 14, 44, 28, 10)
        fill_stroke(ctx, c, width=3)
        polygon(ctx, [(x - 8, y + 12), (x - 14, y + 24), (x + 2, y + 13)])
        fill_stroke(ctx, c, width=3)
        for k in (-10, 0, 10):
            ellipse(ctx, x + k, y, 3, 3)
            ctx.set_source_rgba(*rgba(INK))
            ctx.fill()


def link_dubbel(ctx):
    tile(ctx, "#3ddc5f", "#0b5a22")
    for (x, y, a, pips) in ((36, 44, -0.25, 2), (62, 58, 0.2, 5)):
        ctx.save()
        ctx.translate(x, y)
        ctx.rotate(a)
        rounded_rect(ctx, -17, -17, 34, 34, 7)
        fill_stroke(ctx, "#ffffff", width=3)
        spots = {2: [(-8, -8), (8, 8)], 5: [(-8, -8), (8, -8), (0, 0), (-8, 8), (8, 8)]}[pips]
        for (px, py) in spots:
            ellipse(ctx, px, py, 3.6, 3.6)
            ctx.set_source_rgba(*rgba("#e8383d"))
            ctx.fill()
        ctx.restore()


def link_bratwick(ctx):
    tile(ctx, "#ff5f7a", "#7a0b2a")
    # a frying pan with an egg
    ctx.move_to(62, 62)
    ctx.line_to(88, 88)
    glyph_path_stroke(ctx, INK, 12)
    ctx.move_to(62, 62)
    ctx.line_to(88, 88)
    glyph_path_stroke(ctx, "#6b3b1f", 7)
    ellipse(ctx, 44, 44, 32, 32)
    fill_stroke(ctx, radial(44, 44, 32, [(0, "#4a4f5c"), (1, "#1c1f26")]), width=3)
    ctx.move_to(30, 40)
    ctx.curve_to(26, 22, 56, 20, 58, 36)
    ctx.curve_to(66, 46, 54, 64, 40, 60)
    ctx.curve_to(26, 58, 24, 48, 30, 40)
    ctx.close_path()
    fill_stroke(ctx, "#ffffff", width=2)
    ellipse(ctx, 43, 42, 8, 8)
    fill_stroke(ctx, radial(43, 42, 8, [(0, "#ffe14d"), (1, "#ff9f1c")], fx=40, fy=39), width=2)


# --- window icon ---------------------------------------------------------------

def app_icon(ctx):
    rounded_rect(ctx, 3, 3, 94, 94, 22)
    fill_stroke(ctx, linear(0, 3, 0, 97, [(0, "#5fb6ff"), (0.55, "#1f4fb8"), (1, "#071a4d")]),
                stroke="#dff4ff", width=2.5)
    ctx.save()
    rounded_rect(ctx, 3, 3, 94, 94, 22)
    ctx.clip()
    for x in range(0, 100, 26):
        ctx.save()
        ctx.translate(x - 2, 78)
        ctx.scale(26 / 52.0, 26 / 52.0)
        sprites.draw_block(ctx, 41 if (x // 26) % 2 == 0 else 44)
        ctx.restore()
    ctx.restore()
    ctx.save()
    ctx.translate(6, 8)
    ctx.scale(72 / 52.0, 72 / 52.0)
    sprites.draw_cook(ctx, "right0")
    ctx.restore()
    ctx.save()
    ctx.translate(56, 44)
    ctx.scale(36 / 52.0, 36 / 52.0)
    sprites.draw_ball(ctx, "blue")
    ctx.restore()


FORMS = [
    # (file, size in its layout, pixel size, drawer, role)
    ("arrow_right.png", "60 x 60", 120, arrow("right"), "b_rechts: walk right (hold)"),
    ("arrow_up.png", "60 x 60", 120, arrow("up"), "b_hoch: walk up (hold)"),
    ("arrow_down.png", "60 x 60", 120, arrow("down"), "b_runter: walk down (hold)"),
    ("arrow_left.png", "60 x 60", 120, arrow("left"), "b_links: walk left (hold); also the training list's arrows"),
    ("mushroom.png", "60 x 60", 120, mushroom_button, "b_jump: throw a mushroom (hold)"),
    ("menu.png", "50 x 50", 100, icon_menu, "b_menue: open and close the menu icons"),
    ("off.png", "50 x 50", 100, icon_off, "b_off: close the game"),
    ("help.png", "50 x 50", 100, icon_help, "b_help: open the help page"),
    ("hand.png", "50 x 50", 100, icon_hand, "b_hand: touch mode is active"),
    ("gamepad.png", "50 x 50", 100, icon_gamepad, "b_gamepad: action buttons are active"),
    ("speaker_on.png", "50 x 50", 100, icon_speaker_on, "SpeakerButtonOn: sound is on"),
    ("speaker_off.png", "50 x 50", 100, icon_speaker_off, "SpeakerButtonOff: sound is off"),
    ("fullscreen.png", "50 x 50", 100, icon_fullscreen, "FullScreenButton: full screen and back"),
    ("pause.png", "50 x 50", 100, icon_pause, "b_pause"),
    ("play.png", "50 x 50", 100, icon_play, "b_play"),
    ("kill.png", "50 x 50", 100, icon_kill, "b_cancel: give up the attempt or the game"),
    ("easy.png", "81 x 81", 128, difficulty("easy", False), "start form: Easy (no monsters)"),
    ("hard.png", "81 x 81", 128, difficulty("hard", False), "start form: Hard (patrolling monsters)"),
    ("crazy.png", "81 x 81", 128, difficulty("crazy", False), "start form: Crazy (hunting monsters too)"),
    ("easy_black.png", "50 x 50", 128, difficulty("easy", True), "difficulty glyph of the main form: Easy"),
    ("hard_black.png", "50 x 50", 128, difficulty("hard", True), "difficulty glyph of the main form: Hard"),
    ("crazy_black.png", "50 x 50", 128, difficulty("crazy", True), "difficulty glyph of the main form and of the attract mode: Crazy"),
    ("rakete.png", "81 x 81", 128, rakete, "start form: New Game"),
    ("hantel.png", "81 x 81", 128, hantel, "start form: Training"),
    ("robot.png", "free", 128, robot(0), "start form decoration Roboter (base frame)"),
    ("robot1.png", "free", 128, robot(1), "Roboter1: blinking, red antenna light"),
    ("robot2.png", "free", 128, robot(2), "Roboter2: waving"),
    ("monster1.png", "free", 128, monster1(0), "Monster1image (base frame)"),
    ("monster1_1.png", "free", 128, monster1(1), "Monster1image1: crouching"),
    ("monster1_2.png", "free", 128, monster1(2), "Monster1image2: rising"),
    ("monster1_3.png", "free", 128, monster1(3), "Monster1image3: in the air"),
    ("monster2.png", "free", 128, monster2(0), "Monster2image (base frame)"),
    ("monster2_1.png", "free", 128, monster2(1), "Monster2image1: growling"),
    ("monster2_2.png", "free", 128, monster2(2), "Monster2image2: tongue out"),
    ("monster2_3.png", "free", 128, monster2(3), "Monster2image3: stepping"),
    ("ok.png", "50 x 50", 100, ok_key, "name entry: OK (confirm)"),
    ("delete.png", "32 x 32", 64, delete_key, "name entry: delete the last character"),
    ("exit.png", "50 x 50", 100, exit_key, "start form: Exitbutton (step back)"),
    ("link_kirpo.png", "32 x 32", 64, link_kirpo, "start form: KirpoIcon"),
    ("link_korvane.png", "32 x 32", 64, link_korvane, "start form: Korvane_Icon"),
    ("link_sprekko.png", "32 x 32", 64, link_sprekko, "start form: Sprekko_Icon"),
    ("link_dubbel.png", "32 x 32", 64, link_dubbel, "start form: Dubbel_Icon"),
    ("link_bratwick.png", "32 x 32", 64, link_bratwick, "start form: Bratwick_Icon"),
    ("icon.png", "256 x 256", 256, app_icon, "window and desktop icon"),
]


def render(drawer, size):
    s, ctx = canvas(size)
    drawer(ctx)
    return kart.to_image(s)


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name, _layout, size, drawer, _role in FORMS:
        kart.save_png(render(drawer, size), os.path.join(out_dir, name))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "forms"))
