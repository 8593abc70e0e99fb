"""The catalogue of figure images Neu<n>.png: number, role, size and frame count.

This table is the one source for the figure generator, the animation-strip table
Kirpo-Movies.txt, docs/figures.md and the contact sheet; tests/assets/AssetsTest.cpp
mirrors it.
"""
from collections import namedtuple

Figure = namedtuple("Figure", "number role width height frames")

CELL = 52

FIGURES = [
    Figure(1, "door: the blue ball must come to rest on it", CELL, CELL, 1),
    Figure(2, "kmonster walking left, first half of a cell", CELL, CELL, 1),
    Figure(3, "gmonster walking, phase 2 (feet together); also its waking image", CELL, CELL, 1),
    Figure(4, "cook walking right, second half of a cell", CELL, CELL, 1),
    Figure(5, "cook walking right, first half of a cell", CELL, CELL, 1),
    Figure(6, "cook walking left, second half of a cell", CELL, CELL, 1),
    Figure(7, "cook walking left, first half of a cell", CELL, CELL, 1),
    Figure(8, "cook standing; also the reserve-runner indicator", CELL, CELL, 1),
    Figure(9, "kmonster walking left, second half of a cell", CELL, CELL, 1),
    Figure(10, "blue ball (carries the door's star)", CELL, CELL, 1),
    Figure(11, "kmonster walking right, first half of a cell; its waking image", CELL, CELL, 1),
    Figure(12, "kmonster walking right, second half of a cell", CELL, CELL, 1),
    Figure(13, "gmonster walking, phase 1 (left foot), mouth shut", CELL, CELL, 1),
    Figure(14, "gmonster walking, phase 3 (right foot), tongue out (rare)", CELL, CELL, 1),
    Figure(15, "cook walking up or down, first half of a cell", CELL, CELL, 1),
    Figure(16, "cook walking up or down, second half of a cell", CELL, CELL, 1),
    Figure(17, "red ball (breakable)", CELL, CELL, 1),
    Figure(19, "mushroom, half a cell so a throw starts clear of the cook; also the thrown shot (drawn spinning) and the indicator", CELL // 2, CELL // 2, 1),
    Figure(20, "gmonster asleep: frames 0-1 falling asleep, 2-3 snoring loop", 4 * CELL, CELL, 4),
    Figure(21, "gmonster walking, phase 1 (left foot), growling", CELL, CELL, 1),
    Figure(22, "gmonster walking, phase 3 (right foot), mouth shut", CELL, CELL, 1),
    Figure(23, "gmonster walking, phase 3 (right foot), growling", CELL, CELL, 1),
    Figure(24, "cook cheering (victory hop, drawn tilted left)", CELL, CELL, 1),
    Figure(25, "cook cheering (victory hop, drawn tilted right)", CELL, CELL, 1),
    Figure(26, "kmonster asleep, facing left: frames 0-1 falling asleep, 2-3 snoring", 4 * CELL, CELL, 4),
    Figure(27, "kmonster asleep, facing right: frames 0-1 falling asleep, 2-3 snoring", 4 * CELL, CELL, 4),
    Figure(28, "puff 1/5 (small, dense)", CELL, CELL, 1),
    Figure(29, "puff 2/5", CELL, CELL, 1),
    Figure(30, "puff 3/5", CELL, CELL, 1),
    Figure(31, "puff 4/5", CELL, CELL, 1),
    Figure(32, "puff 5/5 (large, faint)", CELL, CELL, 1),
    Figure(33, "tap probe: its box is the tolerance of a tap on a monster (never drawn)", 26, 26, 1),
    Figure(34, "level completed picture, drawn into the 1560 x 936 box over the sunburst", 1560, 936, 1),
    Figure(35, "final congratulation, transparent where the sunburst shows through", 1920, 1200, 1),
    Figure(36, "rotating sunburst behind pictures 34 and 35", 1024, 1024, 1),
    Figure(37, "level preview sheet of the training list: 57 cells of 280 x 200, rows of five", 1400, 2400, 1),
    Figure(40, "tap marker: a ripple, frames 0-3 fading, frame 4 empty", 5 * 200, 100, 5),
    Figure(41, "ice block, light blue", CELL, CELL, 1),
    Figure(42, "ice block, deep blue with a crack", CELL, CELL, 1),
    Figure(43, "ice block, violet crystal", CELL, CELL, 1),
    Figure(44, "ice block, snow-capped", CELL, CELL, 1),
    Figure(45, "ice block, green-teal bricks", CELL, CELL, 1),
    Figure(46, "high-score table background", 1920, 1200, 1),
    Figure(48, "splash picture of the attract mode", 1920, 1200, 1),
    Figure(50, "the caught cook, floating away with a halo (lost-runner sequence)", CELL, 65, 1),
] + [
    Figure(51 + k, "gmonster squashed by a ball, frame %d/9" % (k + 1), CELL, CELL, 1) for k in range(9)
] + [
    Figure(60 + k, "frost burst %d/6 (a shot or a smashed red ball)" % (k + 1), CELL, CELL, 1)
    for k in range(6)
] + [
    Figure(68, "\"1000\" bonus label over a crushed monster", 2 * CELL, CELL, 1),
] + [
    Figure(73 + k, "kmonster heading right squashed by a ball, frame %d/9" % (k + 1), CELL, CELL, 1)
    for k in range(9)
] + [
    Figure(83 + k, "kmonster heading left squashed by a ball, frame %d/9" % (k + 1), CELL, CELL, 1)
    for k in range(9)
]

# Numbers the game never names; they stay without a file, like figure 0
# (a sprite showing figure 0 must never collide, so it has no image).
UNUSED = sorted(set(range(0, 92)) - {f.number for f in FIGURES})


def strips():
    return [f for f in FIGURES if f.frames > 1]
