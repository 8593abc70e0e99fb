#!/usr/bin/python3
"""Writes the level files generatedfigures_<N>.txt into assets/ from the ASCII maps below.

Each map covers the field rows 3 to 22 (20 lines) and the columns 0 to 31 (32 characters) of
52-unit cells; the rows above row 3 lie under the head-up display and stay empty, and the 256
units right of column 31 belong to the button panel. The runner walks in at column 1, row 4
(the top left cell inside the walls), which must stay free.

    #  block            B  blue ball         R  red ball       D  door
    p  mushroom         k  kmonster (Ost)    K  kmonster (West)
    g  gmonster         S  where the runner walks in (free)    .  free

Before writing, every map is checked to be solvable on the cell grid: the runner walks in four
directions, pushes balls sideways when the cell beyond is free, destroys a blocked red ball by
pushing again, balls fall until something holds them, and the level is won when the blue ball
comes to rest on the door. Monsters are left out of that check: the easy difficulty has none.

Run: /usr/bin/python3 tools/levels/make_levels.py
"""
import os
import sys
from collections import deque

CELL = 52
FIRST_ROW = 3
WIDTH = 32
HEIGHT = 20

LEVELS = {
    # The attract mode's demonstration: walk down, along the shelf and push the ball into the pit.
    0: [
        "################################",
        "#S.............................#",
        "#..............................#",
        "#..............................#",
        "#...p.p..B.....................#",
        "##########.....................#",
        "#..............................#",
        "#.........................p....#",
        "#.....................#######..#",
        "#..............................#",
        "#..............................#",
        "#..R...........................#",
        "#######...........##########...#",
        "#..............................#",
        "#.....k........................#",
        "#..............................#",
        "#..............................#",
        "#..............................#",
        "#.........D....................#",
        "################################",
    ],
    # The red ball rolls into the pit first if pushed ahead; it has to be broken instead.
    1: [
        "################################",
        "#S.......#.....................#",
        "#........#.....................#",
        "#..p.....#........p............#",
        "#####....#....##########.......#",
        "#..............................#",
        "#..............................#",
        "#.........B.....R..............#",
        "##########################.#####",
        "#..............................#",
        "#..............................#",
        "#...p..........................#",
        "###########...............######",
        "#..............................#",
        "#.......g......................#",
        "#..............................#",
        "#..........................K...#",
        "#..............................#",
        "#.........................D....#",
        "################################",
    ],
}

# Inner blocks take turns by row, so the ledges are told apart from the outer wall.
INNER_BLOCKS = [42, 43, 44, 45]
WALL_BLOCK = 41


def cell_line(typ, col, row, fig, richtung="null", ivtime=20, collisions="TRUE"):
    return ("Typ=%s,X=%d,Y=%d,Ebene=1,Hoehe=1,Richtung=%s,FigNr=%d,Collisions=%s,IVTime=%d,"
            "Speed=0,Gruppe=,Optionen=" % (typ, col * CELL, (row + FIRST_ROW) * CELL, richtung, fig,
                                           collisions, ivtime))


def level_lines(rows):
    lines = ["Typ=BACKGROUND"]
    for r, text in enumerate(rows):
        for c, ch in enumerate(text):
            if ch == "#":
                border = r in (0, HEIGHT - 1) or c in (0, WIDTH - 1)
                fig = WALL_BLOCK if border else INNER_BLOCKS[r % len(INNER_BLOCKS)]
                lines.append(cell_line("stein", c, r, fig, ivtime=0))
    # Figures after the blocks, in reading order: the file order is the update order.
    figures = {"D": ("door", 1, "null"), "B": ("bball", 10, "null"), "R": ("rball", 17, "null"),
               "p": ("pilz", 19, "null"), "k": ("kmonster", 11, "Ost"), "K": ("kmonster", 11, "West"),
               "g": ("gmonster", 13, "null")}
    for r, text in enumerate(rows):
        for c, ch in enumerate(text):
            if ch in figures:
                typ, fig, richtung = figures[ch]
                lines.append(cell_line(typ, c, r, fig, richtung))
    return lines


def check_shape(n, rows):
    if len(rows) != HEIGHT:
        sys.exit("level %d: %d lines, want %d" % (n, len(rows), HEIGHT))
    for r, text in enumerate(rows):
        if len(text) != WIDTH:
            sys.exit("level %d line %d: %d columns, want %d" % (n, r, len(text), WIDTH))
        bad = set(text) - set("#BRDpkKgS.")
        if bad:
            sys.exit("level %d line %d: unknown %s" % (n, r, "".join(sorted(bad))))
    if rows[1][1] not in "S.":
        sys.exit("level %d: the runner's entry cell is taken" % n)
    for r in range(HEIGHT):
        if rows[r][0] != "#" or rows[r][WIDTH - 1] != "#":
            sys.exit("level %d line %d: open side wall" % (n, r))
    if set(rows[0]) != {"#"} or set(rows[HEIGHT - 1]) != {"#"}:
        sys.exit("level %d: open top or bottom wall" % n)


def solvable(rows):
    """Breadth-first search over runner cell, balls and mushrooms on the cell grid."""
    blocks = {(c, r) for r, t in enumerate(rows) for c, ch in enumerate(t) if ch == "#"}
    doors = {(c, r) for r, t in enumerate(rows) for c, ch in enumerate(t) if ch == "D"}
    balls0 = frozenset(((c, r), ch) for r, t in enumerate(rows) for c, ch in enumerate(t) if ch in "BR")
    pilze0 = frozenset((c, r) for r, t in enumerate(rows) for c, ch in enumerate(t) if ch == "p")

    def settle(balls, pilze):
        balls = dict(balls)
        pilze = set(pilze)
        moved = True
        while moved:
            moved = False
            for pos in sorted(balls, key=lambda p: -p[1]):
                kind = balls[pos]
                below = (pos[0], pos[1] + 1)
                if below in blocks or below in doors or below in balls:
                    continue
                pilze.discard(below)  # a falling ball crushes a mushroom
                del balls[pos]
                balls[below] = kind
                moved = True
                break
        for p in sorted(pilze, key=lambda p: -p[1]):
            q = p
            while True:
                below = (q[0], q[1] + 1)
                if below in blocks or below in doors or below in balls or below in pilze:
                    break
                q = below
            if q != p:
                pilze.discard(p)
                pilze.add(q)
        return frozenset(balls.items()), frozenset(pilze)

    def won(balls):
        return any(kind == "B" and (pos[0], pos[1] + 1) in doors for pos, kind in balls)

    start = ((1, 1),) + settle(balls0, pilze0)
    seen = {start}
    queue = deque([start])
    while queue:
        runner, balls, pilze = queue.popleft()
        if won(balls):
            return True
        ball_at = dict(balls)
        for dc, dr in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            nxt = (runner[0] + dc, runner[1] + dr)
            if nxt in blocks or nxt in doors:
                continue
            new_balls, new_pilze = dict(ball_at), set(pilze)
            if nxt in ball_at:
                if dr != 0:
                    continue
                beyond = (nxt[0] + dc, nxt[1])
                kind = ball_at[nxt]
                if beyond in blocks or beyond in doors or beyond in ball_at:
                    if kind != "R":
                        continue
                    del new_balls[nxt]  # pushed again at once, the red ball breaks
                    state = (runner,) + settle(new_balls.items(), new_pilze)
                else:
                    new_pilze.discard(beyond)
                    del new_balls[nxt]
                    new_balls[beyond] = kind
                    state = (nxt,) + settle(new_balls.items(), new_pilze)
            else:
                new_pilze.discard(nxt)  # taken on the way
                state = (nxt,) + settle(new_balls.items(), new_pilze)
            if state not in seen:
                seen.add(state)
                queue.append(state)
    return False


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    assets = os.path.join(root, "assets")
    for n, rows in sorted(LEVELS.items()):
        check_shape(n, rows)
        if not solvable(rows):
            sys.exit("level %d cannot be won" % n)
        path = os.path.join(assets, "generatedfigures_%d.txt" % n)
        with open(path, "w", newline="") as f:
            f.write("".join(line + "\r\n" for line in level_lines(rows)))
        print("wrote", path)


if __name__ == "__main__":
    main()
