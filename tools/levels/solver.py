#!/usr/bin/python3
"""Finds the shortest winning plan of a level on the cell grid, or proves there is none.

The runner moves freely in four directions (it has no weight); balls and mushrooms fall. The
rules modelled, cell by cell:

- The runner cannot enter blocks, doors or balls; it takes a mushroom it walks into.
- It pushes a ball sideways when the cell beyond holds no block, door or ball; up or down a ball
  does not move. A pushed ball falls as soon as nothing holds it.
- A red ball blocked beyond breaks when the runner lets go and pushes again (the plan marks it).
- Balls fall until a block, door or ball holds them; a falling ball crushes a mushroom it lands
  on. A resting red ball stays on a mushroom, a blue ball crushes it and falls on.
- Mushrooms fall until a block, door, ball or mushroom holds them; one falling through the
  runner's cell is taken.
- The level is won when the blue ball comes to rest on a door.

Monsters are left out (the easy difficulty has none), and so is throwing: a thrown mushroom only
matters to monsters. Mushrooms that no ball can ever meet are scenery to the search.

The search runs over push states (balls and the mushrooms that matter, with the runner's region
as one place) by cost in single-cell moves, so the first won state gives the shortest plan. It
then explores every reachable state to count the dead ends: states from which the level can no
longer be won.

Run: tools/levels/solver.py [level numbers]   (all levels of make_levels.py without arguments)
"""
import heapq
import sys
from collections import deque

# "#" is a block in the level's row-by-row style, "1" to "5" a block of one ice style.
BLOCK_CHARS = "#12345"
MOVES = {"U": (0, -1), "D": (0, 1), "L": (-1, 0), "R": (1, 0)}


class Level:
    def __init__(self, rows):
        self.rows = rows
        cells = [((c, r), ch) for r, t in enumerate(rows) for c, ch in enumerate(t)]
        self.blocks = frozenset(p for p, ch in cells if ch in BLOCK_CHARS)
        self.doors = frozenset(p for p, ch in cells if ch == "D")
        self.solid = self.blocks | self.doors
        self.balls = frozenset((p, ch) for p, ch in cells if ch in "BR")
        self.pilze = frozenset(p for p, ch in cells if ch == "p")
        self.monsters = [(p, ch) for p, ch in cells if ch in "kKeEg"]
        self.start = (1, 1)
        self.relevant = self._ball_zone()

    def _ball_zone(self):
        """Cells a ball could ever reach or rest on, over-estimated by moving sideways and down
        through everything but blocks and doors; mushrooms outside never meet a ball."""
        zone = set()
        todo = [p for p, _ in self.balls]
        while todo:
            p = todo.pop()
            if p in zone or p in self.solid:
                continue
            zone.add(p)
            for dc, dr in ((1, 0), (-1, 0), (0, 1)):
                todo.append((p[0] + dc, p[1] + dr))
        return frozenset(zone | {(c, r + 1) for c, r in zone})


def settle(level, runner, balls, pilze):
    """Lets balls and mushrooms fall until everything rests. Returns (balls, pilze, fallen), where
    fallen maps a ball's resting cell to the cells it fell."""
    balls = dict(balls)
    pilze = set(pilze)
    fallen = {}
    moved = True
    while moved:
        moved = False
        for pos in sorted(balls, key=lambda p: -p[1]):
            kind = balls[pos]
            below = (pos[0], pos[1] + 1)
            if below in level.solid or below in balls:
                continue
            if below in pilze and kind == "R" and fallen.get(pos, 0) == 0:
                continue  # a resting red ball stays on a mushroom
            pilze.discard(below)
            del balls[pos]
            balls[below] = kind
            fallen[below] = fallen.pop(pos, 0) + 1
            moved = True
            break
        for p in sorted(pilze, key=lambda p: -p[1]):
            q = p
            while True:
                below = (q[0], q[1] + 1)
                if below in level.solid or below in balls or below in pilze:
                    break
                q = below
            if q != p:
                pilze.discard(p)
                if runner[0] == p[0] and p[1] < runner[1] <= q[1]:
                    moved = True  # the runner catches it on the way down
                    continue
                pilze.add(q)
                moved = True
    return frozenset(balls.items()), frozenset(pilze), fallen


def won(level, balls):
    return any(kind == "B" and (pos[0], pos[1] + 1) in level.doors for pos, kind in balls)


def region(level, runner, ball_at, pilze):
    """Cells the runner walks to without pushing or taking a mushroom that matters, with the
    path to each (a predecessor map)."""
    prev = {runner: None}
    todo = deque([runner])
    while todo:
        p = todo.popleft()
        for d, (dc, dr) in MOVES.items():
            q = (p[0] + dc, p[1] + dr)
            if q in prev or q in level.solid or q in ball_at or q in pilze:
                continue
            prev[q] = (p, d)
            todo.append(q)
    return prev


def path_to(prev, cell):
    steps = []
    while prev[cell] is not None:
        cell, d = prev[cell]
        steps.append(d)
    return steps[::-1]


def transitions(level, state):
    """Every push, break or mushroom pick-up the runner can make from this state:
    (walk path, final move, kind, next state, fall cells)."""
    runner, balls, pilze = state
    ball_at = dict(balls)
    prev = region(level, runner, ball_at, pilze)
    for cell in prev:
        for d, (dc, dr) in MOVES.items():
            nxt = (cell[0] + dc, cell[1] + dr)
            if nxt in level.solid or nxt in prev:
                continue
            new_balls, new_pilze = dict(ball_at), set(pilze)
            if nxt in ball_at:
                if dr != 0:
                    continue
                beyond = (nxt[0] + dc, nxt[1])
                kind = ball_at[nxt]
                if beyond in level.solid or beyond in ball_at:
                    if kind != "R":
                        continue
                    del new_balls[nxt]
                    where, move = cell, "break"
                else:
                    new_pilze.discard(beyond)
                    del new_balls[nxt]
                    new_balls[beyond] = kind
                    where, move = nxt, "push"
            elif nxt in pilze:
                new_pilze.discard(nxt)
                where, move = nxt, "take"
            else:
                continue
            b, p, fallen = settle(level, where, new_balls.items(), new_pilze)
            fall = max(fallen.values(), default=0)
            yield cell, d, move, (where, b, p), fall


def _canonical(level, runner, balls, pilze):
    """The runner's place as a state key: the smallest cell of its region (the exact cell is
    kept separately for the plan)."""
    return min(region(level, runner, dict(balls), pilze))


class Plan:
    def __init__(self):
        self.moves = []  # (direction, kind) with kind "walk", "push", "break", "take"
        self.falls = []  # cells fallen after the move, per move

    def counts(self):
        kinds = [k for _, k in self.moves]
        return {"walks": kinds.count("walk") + kinds.count("take"), "pushes": kinds.count("push"),
                "breaks": kinds.count("break")}

    def text(self):
        out = []
        for d, k in self.moves:
            out.append({"walk": d.lower(), "take": d.lower(), "push": d, "break": d + "!"}[k])
        return " ".join(out)


class Result:
    def __init__(self):
        self.plan = None
        self.states = 0
        self.dead_ends = 0
        self.complete = True
        self.dead_end_plan = None  # the cheapest way into a state that can no longer be won
        # Decisions on the way: the plan's states from which one wrong push (or a mushroom taken)
        # loses the level, and how many such losing moves they offer in all.
        self.traps = 0
        self.losing_moves = 0


def solve(rows, explore=True, limit=400000):
    """Shortest plan by single-cell moves (Dijkstra over push states) and, with explore, the
    number of reachable states from which the level can no longer be won."""
    level = Level(rows)
    b0, p0, _ = settle(level, level.start, level.balls, level.pilze & level.relevant)
    start = (level.start, b0, p0)
    key0 = (_canonical(level, *start), b0, p0)
    res = Result()
    dist = {key0: 0}
    came = {key0: None}
    exact = {key0: start}
    heap = [(0, 0, key0)]
    counter = 1
    goal = None
    edges = {}
    while heap:
        cost, _, key = heapq.heappop(heap)
        if cost > dist[key]:
            continue
        if won(level, key[1]):
            if goal is None:
                goal = key
            continue
        succ = []
        state = exact[key]
        prev = region(level, state[0], dict(state[1]), state[2])
        for cell, d, move, (runner, b, p), fall in transitions(level, state):
            nkey = (_canonical(level, runner, b, p), b, p)
            succ.append(nkey)
            step = len(path_to(prev, cell)) + 1
            ncost = cost + step
            if nkey not in dist or ncost < dist[nkey]:
                dist[nkey] = ncost
                came[nkey] = (key, state[0], cell, d, move, fall)
                exact[nkey] = (runner, b, p)
                heapq.heappush(heap, (ncost, counter, nkey))
                counter += 1
        edges[key] = succ
        if goal is not None and not explore:
            break
        if len(dist) > limit:
            res.complete = False
            break
    res.states = len(dist)
    if goal is not None:
        res.plan = _rebuild(level, came, goal)
    if explore and res.complete:
        dead = _dead_ends(level, edges, dist)
        res.dead_ends = len(dead)
        if dead:
            res.dead_end_plan = _rebuild(level, came, min(dead, key=lambda k: dist[k]))
        if goal is not None:
            res.traps, res.losing_moves = _traps(came, edges, goal, set(dead))
    return res


def _rebuild(level, came, goal):
    chain = []
    key = goal
    while came[key] is not None:
        chain.append(came[key])
        key = came[key][0]
    plan = Plan()
    for parent, runner, cell, d, move, fall in reversed(chain):
        # walk from where the runner stood to the cell of the move
        ball_at = dict(parent[1])
        prev = region(level, runner, ball_at, parent[2])
        for w in path_to(prev, cell):
            plan.moves.append((w, "walk"))
            plan.falls.append(0)
        plan.moves.append((d, move))
        plan.falls.append(fall)
    return plan


def _traps(came, edges, goal, dead):
    """Along the shortest plan: the states that offer a move into a dead end, and those moves."""
    traps = losing = 0
    key = came[goal][0] if came[goal] is not None else None
    while key is not None:
        wrong = len({s for s in edges.get(key, ()) if s in dead})
        traps += wrong > 0
        losing += wrong
        key = came[key][0] if came[key] is not None else None
    return traps, losing


def _dead_ends(level, edges, dist):
    winning = {k for k in dist if won(level, k[1])}
    back = {}
    for k, succ in edges.items():
        for s in succ:
            back.setdefault(s, []).append(k)
    alive = set(winning)
    todo = list(winning)
    while todo:
        k = todo.pop()
        for p in back.get(k, ()):
            if p not in alive:
                alive.add(p)
                todo.append(p)
    return [k for k in dist if k not in alive]


def measures(n, rows):
    res = solve(rows)
    if res.plan is None:
        return "level %2d: no winning plan (%d states explored%s)" % (
            n, res.states, "" if res.complete else ", search cut short")
    c = res.plan.counts()
    return ("level %2d: %3d moves = %3d walks + %2d pushes + %d breaks; %6d states, %6d dead ends, "
            "%2d traps (%2d losing moves); plan %s" % (
                n, len(res.plan.moves), c["walks"], c["pushes"], c["breaks"], res.states,
                res.dead_ends, res.traps, res.losing_moves, res.plan.text()))


def main(argv):
    sys.path.insert(0, __file__.rsplit("/", 1)[0])
    from level_maps import LEVELS
    wanted = [int(a) for a in argv[1:]] or sorted(LEVELS)
    for n in wanted:
        print(measures(n, LEVELS[n]), flush=True)


if __name__ == "__main__":
    main(sys.argv)
