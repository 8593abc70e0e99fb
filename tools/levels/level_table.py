#!/usr/bin/python3
"""Prints the levels' overview as a Markdown table: the solver's shortest plan, the frames of each
difficulty's winning replay, the monsters per difficulty (with the Crazy hunters that are free:
not walled in away from the runner) and the balls, from the maps and the pinned replays
(make_scripts.py writes both plan and pins).

Run: tools/levels/level_table.py
"""
import os
import re

from level_maps import LEVELS
from solver import BLOCK_CHARS

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DIFFICULTIES = ["easy", "hard", "crazy"]


def case(n, name):
    path = os.path.join(ROOT, "tests", "levels", "replays", str(n), name)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return f.read()


def free_hunters(rows):
    """Gmonsters that can reach the runner's entry cell: only blocks, balls and doors hold them."""
    walls = set(BLOCK_CHARS + "BRD")
    seen, todo = {(1, 1)}, [(1, 1)]
    while todo:
        c, r = todo.pop()
        for q in ((c + 1, r), (c - 1, r), (c, r + 1), (c, r - 1)):
            if q not in seen and 0 <= q[1] < len(rows) and 0 <= q[0] < len(rows[0]) \
                    and rows[q[1]][q[0]] not in walls:
                seen.add(q)
                todo.append(q)
    return sum(1 for r, t in enumerate(rows) for c, ch in enumerate(t) if ch == "g" and (c, r) in seen)


def main():
    print("| level | plan walks | plan pushes | breaks | frames Easy | frames Hard | frames Crazy "
          "| monsters Easy / Hard / Crazy (free hunters) | balls (blue + red) | losing cases |")
    print("|---:|---:|---:|---:|---:|---:|---:|---|---|---|")
    for n, rows in sorted(LEVELS.items()):
        text = "".join(rows)
        e = sum(text.count(c) for c in "eE")
        k, g = sum(text.count(c) for c in "kK") + e, text.count("g")
        script = case(n, "easy-win.txt") or ""
        m = re.search(r"\((\d+) walks, (\d+) pushes, (\d+) breaks\)", script)
        walks, pushes, breaks = m.groups() if m else ("?", "?", "?")
        frames = []
        for d in DIFFICULTIES:
            pin = case(n, d + "-win.pin")
            f = re.search(r"frames: (\d+)", pin) if pin else None
            frames.append(f.group(1) if f and "outcome: won" in pin else "-")
        folder = os.path.join(ROOT, "tests", "levels", "replays", str(n))
        losing = sorted(f[:-4] for f in os.listdir(folder) if "-lose-" in f and f.endswith(".txt")) \
            if os.path.isdir(folder) else []
        print("| %d | %s | %s | %s | %s | %s | %s | %d / %d / %d (%d) | %d + %d | %s |" % (
            n, walks, pushes, breaks, frames[0], frames[1], frames[2], e, k, k + g, free_hunters(rows),
            text.count("B"),
            text.count("R"), ", ".join(losing)))


if __name__ == "__main__":
    main()
