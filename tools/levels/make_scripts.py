#!/usr/bin/python3
"""Writes the levels' proving replays into tests/levels/replays/<level>/ and pins them.

For every level and difficulty the solver's shortest plan (solver.py) becomes a script of held
keys; the replay tool then plays it with the real rules, monsters included. When a monster catches
the runner, the search tries again with waits or a thrown mushroom inserted before the step that
went wrong, and with walks that keep off the monsters' rows, until the script wins. Some levels
also get scripts that must lose: caught by a monster, out of time, or a ball pushed into a dead
end (the solver finds the cheapest one) and then out of time.

A script's report is pinned next to it (<name>.pin), exactly as kirpo_replay prints it.

Run after building kirpo_replay:
    tools/levels/make_scripts.py <kirpo_replay> [level ...] [--difficulty easy|hard|crazy]
"""
import argparse
import os
import subprocess
import sys
import tempfile

from level_maps import LEVELS
from solver import MOVES, Level, region, solve

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DIFFICULTIES = ["easy", "hard", "crazy"]
# The runner walks one cell in 13 frames (4 units a frame) and comes in from the head-up display
# in about 191 frames; a little more is waited so a slower walk-in changes nothing.
CELL_FRAMES = 13
WALK_IN_FRAMES = 200
# After a red ball breaks, the runner cannot go on that way for 750 ms (48 frames).
BREAK_FRAMES = 50
# Frames waited after the last move so the ball can come down on the door (a monster it
# crushes on the way holds it up for a second).
FINISH_FRAMES = 300
# Out of time: the level clock counts 10000 down by 10 every 500 ms.
TIME_OUT_FRAMES = 32200
# Levels whose cheapest dead end is proven to lose (each plays the whole level clock out).
DEAD_END_CASES = {2, 4, 15, 23, 38, 44, 50}
# From this level on every level proves its losses: the kmonster's row on Hard, the hunter on Crazy.
ALL_LOSSES_FROM = 33
WAITS = [13, 26, 52, 104, 208, 416]
MAX_TRIES = 120


class Step:
    """One move of the plan with what is done before it."""

    def __init__(self, key, kind, fall):
        self.key, self.kind, self.fall = key, kind, fall
        self.wait = 0      # frames standing still before the move
        self.throw = None  # a direction key to face and throw before the move, or "F" to throw

    def copy(self):
        s = Step(self.key, self.kind, self.fall)
        s.wait, s.throw = self.wait, self.throw
        return s


def plan_steps(plan):
    return [Step(d, kind, fall) for (d, kind), fall in zip(plan.moves, plan.falls)]


def script_lines(steps, tail=FINISH_FRAMES, shift=0):
    """Held keys per step; returns the lines and the first frame of every step. shift moves the
    whole script by frames (the robustness check)."""
    lines = [(WALK_IN_FRAMES + shift, "-")]
    starts = []
    frame = WALK_IN_FRAMES
    for s in steps:
        starts.append(frame)
        if s.wait:
            lines.append((s.wait, "-"))
        if s.throw:
            lines.append((2, "F"))
            lines.append((63, "-"))  # one throw a second
        if s.kind == "break":
            # push once, let go, push again at once: a blocked red ball breaks
            lines += [(3, s.key), (3, "-"), (3, s.key), (BREAK_FRAMES, "-")]
        else:
            lines.append((CELL_FRAMES, s.key))
            if s.fall:
                lines.append((CELL_FRAMES * s.fall + 2, "-"))
        frame = WALK_IN_FRAMES + sum(n for n, _ in lines[1:])
    lines.append((tail, "-"))
    merged = []
    for n, k in lines:
        if merged and merged[-1][1] == k:
            merged[-1] = (merged[-1][0] + n, k)
        else:
            merged.append((n, k))
    return merged, starts


def script_text(title, lines):
    return "".join(["# %s\n" % t for t in title] + ["%d %s\n" % line for line in lines])


def replay(tool, level, difficulty, text):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write(text)
        path = f.name
    try:
        out = subprocess.run([tool, os.path.join(ROOT, "assets"), str(level), difficulty, path],
                             capture_output=True, text=True, check=False)
    finally:
        os.unlink(path)
    if out.returncode != 0:
        sys.exit("kirpo_replay failed on level %d %s: %s" % (level, difficulty, out.stderr))
    report = dict(line.split(": ", 1) for line in out.stdout.splitlines() if ": " in line)
    return out.stdout, report


def danger_cells(rows, difficulty):
    """Cells the walks keep off: the kmonsters' rows on Hard, and the gmonsters' cells on Crazy."""
    bad = set()
    for r, text in enumerate(rows):
        for c, ch in enumerate(text):
            if (ch in "kK" and difficulty != "easy") or ch in "eE":
                bad |= {(x, r) for x in range(32)}
            if ch == "g" and difficulty == "crazy":
                bad |= {(c + dc, r + dr) for dc in (-1, 0, 1) for dr in (-1, 0, 1)}
    return bad


def reroute(rows, plan, avoid):
    """The same pushes, with every walk between them taken along a path that crosses the cells
    to avoid as little as possible (and only straight across)."""
    import heapq
    level = Level(rows)
    moves = list(zip(plan.moves, plan.falls))
    # replay the plan on the grid to know the state before each push
    from solver import settle
    runner = level.start
    balls, pilze, _ = settle(level, runner, level.balls, level.pilze & level.relevant)
    out = []
    walk = []
    for (d, kind), fall in moves:
        if kind == "walk":
            dc, dr = MOVES[d]
            walk.append(d)
            runner = (runner[0] + dc, runner[1] + dr)
            continue
        # find the cheapest path from where the walk began to the cell of this move
        start = runner
        for w in reversed(walk):
            dc, dr = MOVES[w]
            start = (start[0] - dc, start[1] - dr)
        ball_at = dict(balls)
        reach = region(level, start, ball_at, pilze)
        best = {start: 0}
        prev = {start: None}
        heap = [(0, start)]
        while heap:
            cost, p = heapq.heappop(heap)
            if p == runner:
                break
            if cost > best[p]:
                continue
            for md, (dc, dr) in MOVES.items():
                q = (p[0] + dc, p[1] + dr)
                if q not in reach:
                    continue
                step = 1 + (8 if q in avoid and dr == 0 else 3 if q in avoid else 0)
                if q not in best or cost + step < best[q]:
                    best[q] = cost + step
                    prev[q] = (p, md)
                    heapq.heappush(heap, (cost + step, q))
        path = []
        p = runner
        while prev[p] is not None:
            p, md = prev[p]
            path.append(md)
        out += [Step(md, "walk", 0) for md in reversed(path)]
        out.append(Step(d, kind, fall))
        walk = []
        dc, dr = MOVES[d]
        nxt = (runner[0] + dc, runner[1] + dr)
        new_balls, new_pilze = dict(balls), set(pilze)
        if kind == "take":
            new_pilze.discard(nxt)
            runner = nxt
        elif kind == "break":
            del new_balls[nxt]
        else:
            beyond = (nxt[0] + dc, nxt[1])
            new_pilze.discard(beyond)
            new_balls[beyond] = new_balls.pop(nxt)
            runner = nxt
        balls, pilze, _ = settle(level, runner, new_balls.items(), new_pilze)
    return out


def search_win(tool, n, difficulty, rows, plan):
    """A script that wins: the plan as it is, then with waits and throws before the step where
    the runner was caught. Returns (text, report) or None."""
    variants = [plan_steps(plan)]
    avoid = danger_cells(rows, difficulty)
    if avoid:
        variants.insert(0, reroute(rows, plan, avoid))
    tries = 0
    for base in variants:
        steps = [s.copy() for s in base]
        best_frame = -1
        while tries < MAX_TRIES:
            lines, starts = script_lines(steps)
            text = script_text([], lines)
            tries += 1
            out, rep = replay(tool, n, difficulty, text)
            if rep.get("outcome") == "won" and robust(tool, n, difficulty, steps):
                return lines, out
            if rep.get("outcome") == "won":
                steps[0].wait += CELL_FRAMES  # won only by a frame's luck: shift the whole plan
                continue
            if not rep.get("outcome", "").startswith("lost"):
                break  # the plan itself does not work in the real game: no wait will mend it
            frame = int(rep["frames"])
            at = max([i for i, s in enumerate(starts) if s <= frame] or [0])
            best_frame = max(best_frame, frame)
            steps = improve(tool, n, difficulty, steps, at, frame)
            if steps is None:
                break
            tries += 1
    return None


def robust(tool, n, difficulty, steps):
    """A winning script must not hang on one frame's timing near a monster: it has to win one
    frame earlier and later as well, so a small change of the timing elsewhere does not turn a
    proof into a loss."""
    if difficulty == "easy":
        return True
    for shift in (-1, 1):
        lines, _ = script_lines(steps, shift=shift)
        _, rep = replay(tool, n, difficulty, script_text([], lines))
        if rep.get("outcome") != "won":
            return False
    return True


def improve(tool, n, difficulty, steps, at, lost_frame):
    """Tries a wait or a throw before one of the steps leading up to the one where the runner was
    caught; keeps the first change that wins or lets the runner live longer."""
    for back in range(0, 8):
        i = at - back
        if i < 0:
            break
        for change in [("wait", w) for w in WAITS] + [("throw", None)]:
            trial = [s.copy() for s in steps]
            if change[0] == "wait":
                trial[i].wait += change[1]
            elif trial[i].throw:
                continue
            else:
                trial[i].throw = "F"
            lines, _ = script_lines(trial)
            _, rep = replay(tool, n, difficulty, script_text([], lines))
            if rep.get("outcome") == "won" or (rep.get("outcome", "").startswith("lost")
                                               and int(rep["frames"]) > lost_frame + CELL_FRAMES):
                return trial
    return None


def write_case(folder, name, title, lines, report):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name + ".txt"), "w") as f:
        f.write(script_text(title, lines))
    with open(os.path.join(folder, name + ".pin"), "w") as f:
        f.write(report)


def lose_cases(n, rows, res):
    """Scripts that must lose on this level: (difficulty, why, title, lines)."""
    cases = []
    level = Level(rows)
    kmon = [(p, ch) for p, ch in level.monsters if ch in "kKeE"]
    # A kmonster that Easy shows too proves on Easy as well that it catches the runner.
    walk_into = (["easy"] if any(ch in "eE" for _, ch in kmon) else []) + \
        (["hard"] if kmon and (n % 3 == 0 or n >= ALL_LOSSES_FROM) else [])
    for difficulty in walk_into:
        # walk straight to the kmonster's row and stand in its way
        (c, r), _ = kmon[0]
        prev = region(level, level.start, dict(level.balls), frozenset())
        target = min((p for p in prev if p[1] == r), key=lambda p: abs(p[0] - c), default=None)
        if target is not None:
            from solver import path_to
            steps = [Step(d, "walk", 0) for d in path_to(prev, target)]
            lines, _ = script_lines(steps, tail=3000)
            cases.append((difficulty, "monster", ["walks into the kmonster's row and waits there"],
                          lines))
    if res.dead_end_plan is not None and n in DEAD_END_CASES:
        lines, _ = script_lines(plan_steps(res.dead_end_plan), tail=TIME_OUT_FRAMES)
        cases.append(("easy", "deadend", ["pushes the ball where it can no longer reach the door "
                                          "(solver: %s)" % res.dead_end_plan.text(),
                                          "and then runs out of time"], lines))
    if n in (1, max(LEVELS)):
        cases.append(("easy", "time", ["stands still until the time runs out"],
                      [(WALK_IN_FRAMES + TIME_OUT_FRAMES, "-")]))
    if n >= ALL_LOSSES_FROM and any(ch == "g" for _, ch in level.monsters):
        cases.append(("crazy", "hunter", ["stands still where it came in until the hunter catches it"],
                      [(WALK_IN_FRAMES + 3000, "-")]))
    return cases


def shift_script(text, shift):
    """The script with its first wait (the walk-in) longer or shorter by frames."""
    out, done = [], False
    for line in text.splitlines():
        parts = line.split()
        if not done and len(parts) == 2 and parts[0].isdigit():
            line = "%d %s" % (int(parts[0]) + shift, parts[1])
            done = True
        out.append(line)
    return "\n".join(out) + "\n"


def repin(tool, levels, difficulties):
    """Pins every existing script again after a change of the replay's timing or of a rule; a
    winning script that no longer wins is searched for anew, a losing one that no longer loses
    is dropped."""
    for n in levels:
        folder = os.path.join(ROOT, "tests", "levels", "replays", str(n))
        names = sorted(f[:-4] for f in os.listdir(folder) if f.endswith(".txt")) \
            if os.path.isdir(folder) else []
        for difficulty in difficulties:
            if difficulty + "-win" not in names:
                names.append(difficulty + "-win")
        search = []
        for name in names:
            difficulty = name.split("-")[0]
            if difficulty not in difficulties:
                continue
            path = os.path.join(folder, name + ".txt")
            text = open(path).read() if os.path.exists(path) else ""
            out, rep = replay(tool, n, difficulty, text) if text else ("", {})
            # A "-show-" script is written by hand for the attract mode: it must win, and is never
            # searched for or dropped here.
            show = "-show-" in name
            want = "won" if name.endswith("-win") or show else "lost"
            if want == "won" and difficulty != "easy" and rep.get("outcome") == "won":
                for shift in (-1, 1):
                    shifted = shift_script(text, shift)
                    if replay(tool, n, difficulty, shifted)[1].get("outcome") != "won":
                        rep = {"outcome": "fragile"}
            if rep.get("outcome", "").startswith(want):
                with open(os.path.join(folder, name + ".pin"), "w") as f:
                    f.write(out)
                print("level %2d %-16s: %s in %s frames" % (n, name, rep["outcome"], rep["frames"]),
                      flush=True)
            elif show:
                print("level %2d %-16s: no longer wins: mend it by hand" % (n, name), flush=True)
            elif want == "won":
                search += ["--difficulty", difficulty]
            else:
                os.unlink(path)
                os.unlink(os.path.join(folder, name + ".pin"))
                print("level %2d %-16s: no longer loses, dropped" % (n, name), flush=True)
        if search:
            subprocess.run([sys.executable, sys.argv[0], tool, str(n), "--no-lose"] + search,
                           check=False)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool")
    ap.add_argument("levels", nargs="*", type=int)
    ap.add_argument("--difficulty", choices=DIFFICULTIES, action="append")
    ap.add_argument("--no-lose", action="store_true")
    ap.add_argument("--lose-only", action="store_true", help="write only the scripts that must lose")
    ap.add_argument("--repin", action="store_true",
                    help="replay the scripts there are and pin them again; search anew only for "
                         "those that no longer end as they should")
    args = ap.parse_args()
    tool = os.path.abspath(args.tool)
    failed = []
    if args.repin:
        repin(tool, args.levels or sorted(LEVELS), args.difficulty or DIFFICULTIES)
        return
    for n in args.levels or sorted(LEVELS):
        rows = LEVELS[n]
        res = solve(rows, explore=n in DEAD_END_CASES and not args.no_lose)
        folder = os.path.join(ROOT, "tests", "levels", "replays", str(n))
        counts = res.plan.counts()
        for difficulty in [] if args.lose_only else args.difficulty or DIFFICULTIES:
            found = search_win(tool, n, difficulty, rows, res.plan)
            if found is None:
                failed.append((n, difficulty))
                print("level %2d %-5s: NO WINNING SCRIPT FOUND" % (n, difficulty), flush=True)
                continue
            lines, report = found
            title = ["level %d on %s: the solver's plan (%d walks, %d pushes, %d breaks) as held "
                     "keys," % (n, difficulty.capitalize(), counts["walks"], counts["pushes"],
                                counts["breaks"]),
                     "made monster-safe by tools/levels/make_scripts.py; regenerate, do not edit"]
            write_case(folder, difficulty + "-win", title, lines, report)
            frames = report.split("frames: ")[1].split()[0]
            print("level %2d %-5s: won in %s frames" % (n, difficulty, frames), flush=True)
        if args.no_lose:
            continue
        for difficulty, why, title, lines in lose_cases(n, rows, res):
            report, rep = replay(tool, n, difficulty, script_text([], lines))
            if not rep.get("outcome", "").startswith("lost"):
                print("level %2d %-5s: the %s script does not lose (%s)" % (
                    n, difficulty, why, rep.get("outcome")), flush=True)
                continue
            write_case(folder, "%s-lose-%s" % (difficulty, why), ["must lose: " + title[0]] + title[1:],
                       lines, report)
            print("level %2d %-5s: loses (%s) in %s frames" % (n, difficulty, rep["outcome"],
                                                                rep["frames"]), flush=True)
    if failed:
        sys.exit("no winning script for %s" % failed)


if __name__ == "__main__":
    main()
