#!/usr/bin/python3
"""Writes the level files generatedfigures_<N>.txt into assets/ from the maps of level_maps.py.

Before writing, every map is checked: its shape, the walls, the free entry cell, and that the
solver (solver.py) finds a winning plan on the cell grid without monsters.

Run: /usr/bin/python3 tools/levels/make_levels.py [level ...]   (all levels without arguments)
"""
import os
import sys

from level_maps import LEVELS
from solver import BLOCK_CHARS, solve

CELL = 52
FIRST_ROW = 3
WIDTH = 32
HEIGHT = 20

# Blocks drawn as "#" take turns by row, so the ledges are told apart from the outer wall; the
# digits pick one ice style for a whole shape.
INNER_BLOCKS = [42, 43, 44, 45]
WALL_BLOCK = 41
STYLE_BLOCKS = {"1": 41, "2": 42, "3": 43, "4": 44, "5": 45}
FIGURES = {"D": ("door", 1, "null"), "B": ("bball", 10, "null"), "R": ("rball", 17, "null"),
           "p": ("pilz", 19, "null"), "k": ("kmonster", 11, "Ost"), "K": ("kmonster", 2, "West"),
           "g": ("gmonster", 13, "null"),
           # kmonsters that appear on Easy too: the "easy" option of the level line
           "e": ("kmonster", 11, "Ost", "easy"), "E": ("kmonster", 2, "West", "easy")}


def cell_line(typ, col, row, fig, richtung="null", ivtime=20, collisions="TRUE", options=""):
    return ("Typ=%s,X=%d,Y=%d,Ebene=1,Hoehe=1,Richtung=%s,FigNr=%d,Collisions=%s,IVTime=%d,"
            "Speed=0,Gruppe=,Optionen=%s" % (typ, col * CELL, (row + FIRST_ROW) * CELL, richtung, fig,
                                             collisions, ivtime, options))


def level_lines(rows):
    lines = ["Typ=BACKGROUND"]
    for r, text in enumerate(rows):
        for c, ch in enumerate(text):
            if ch == "#":
                border = r in (0, HEIGHT - 1) or c in (0, WIDTH - 1)
                fig = WALL_BLOCK if border else INNER_BLOCKS[r % len(INNER_BLOCKS)]
                lines.append(cell_line("stein", c, r, fig, ivtime=0))
            elif ch in STYLE_BLOCKS:
                lines.append(cell_line("stein", c, r, STYLE_BLOCKS[ch], ivtime=0))
    # Figures after the blocks, in reading order: the file order is the update order.
    for r, text in enumerate(rows):
        for c, ch in enumerate(text):
            if ch in FIGURES:
                typ, fig, richtung, *options = FIGURES[ch]
                lines.append(cell_line(typ, c, r, fig, richtung, options="".join(options)))
    return lines


def check_shape(n, rows):
    if len(rows) != HEIGHT:
        sys.exit("level %d: %d lines, want %d" % (n, len(rows), HEIGHT))
    for r, text in enumerate(rows):
        if len(text) != WIDTH:
            sys.exit("level %d line %d: %d columns, want %d" % (n, r, len(text), WIDTH))
        bad = set(text) - set(BLOCK_CHARS + "BRDpkKeEgS.")
        if bad:
            sys.exit("level %d line %d: unknown %s" % (n, r, "".join(sorted(bad))))
    if rows[1][1] not in "S.":
        sys.exit("level %d: the runner's entry cell is taken" % n)
    for r in range(HEIGHT):
        if rows[r][0] not in BLOCK_CHARS or rows[r][WIDTH - 1] not in BLOCK_CHARS:
            sys.exit("level %d line %d: open side wall" % (n, r))
    if set(rows[0]) - set(BLOCK_CHARS) or set(rows[HEIGHT - 1]) - set(BLOCK_CHARS):
        sys.exit("level %d: open top or bottom wall" % n)


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    assets = os.path.join(root, "assets")
    wanted = [int(a) for a in sys.argv[1:]] or sorted(LEVELS)
    for n in wanted:
        rows = LEVELS[n]
        check_shape(n, rows)
        if solve(rows, explore=False).plan is None:
            sys.exit("level %d cannot be won" % n)
        path = os.path.join(assets, "generatedfigures_%d.txt" % n)
        with open(path, "w", newline="") as f:
            f.write("".join(line + "\r\n" for line in level_lines(rows)))
        print("wrote", path)


if __name__ == "__main__":
    main()
