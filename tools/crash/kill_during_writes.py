#!/usr/bin/env python3
"""Kills the real game with SIGKILL at random moments while it writes its files, over and over,
and checks after every kill that kirpo.ini, image.store and the high-score files are each
byte-identical to a version the game wrote whole (or to what was there before), never empty,
partial or missing when they existed before.

Needs an X display, xdotool for keys and clicks, xwininfo for the dialog. Run it under
xvfb-run -a -s "-screen 0 1280x800x24 -noreset": without -noreset the X server resets whenever its
last client goes, and a game started in that moment finds no display.
  tools/crash/kill_during_writes.py --kills 10                   # the short CI setting (./test.sh)
  tools/crash/kill_during_writes.py --kills 1000 --seed 7        # the long setting

Each round starts the game on one data folder and does one of:
  start   the start writes kirpo.ini (ShowNavButtons); killed at a random moment
  store   image.store is damaged or deleted first, so the start rebuilds and writes it
  esc     Esc is pressed once the window shows, so the close writes kirpo.ini (Level=0)
  install the marker file is deleted, so the start unpacks the package again
  score   kirpo.ini holds a stored game with a score that enters the table of a random difficulty;
          the start resumes it, the kill button and Yes end it, a name is typed and Return saves it
          (hiscore_e.txt, hiscore_h.txt or hiscore_c.txt); killed a moment before or after Return
and then the game is killed at a random moment of the round's window. The kinds are drawn from a
shuffled bag (start once, store and esc twice, install and score once), so a short run tries each;
--kinds limits the rounds to some kinds. A final clean start must leave no temporary file or
staging folder of any killed process behind; Ctrl-C (SIGINT) ends the rounds early and still makes
that start and prints the closing line, with the completed writes counted per file kind.
"""
import argparse
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

MARKER = struct.pack('<i', -1952)
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def read(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except FileNotFoundError:
        return None


def store_entries(data):
    """The entries of a whole image.store, sorted; None when the file is cut off or damaged."""
    if data is None or len(data) < 8 or data[:4] != MARKER:
        return None
    pos, entries = 4, []
    while True:
        if pos + 4 > len(data):
            return None
        if data[pos:pos + 4] == MARKER:
            return sorted(entries) if pos + 4 == len(data) else None
        (name_len,) = struct.unpack_from('<i', data, pos)
        pos += 4
        if name_len < 0 or pos + name_len + 8 > len(data):
            return None
        name = data[pos:pos + name_len]
        pos += name_len
        (size,) = struct.unpack_from('<q', data, pos)
        pos += 8
        if size < 0 or pos + size > len(data):
            return None
        entries.append((name, data[pos:pos + size]))
        pos += size


def ini_value(text, key):
    for line in (text or b'').decode('latin-1').replace('\r', '\n').split('\n'):
        if '=' in line and line.split('=', 1)[0].strip().lower() == key.lower():
            return line.split('=', 1)[1]
    return None


def hiscore_file(difficulty):
    return 'hiscore_%s.txt' % 'ehc'[difficulty]


def score_rows(data):
    """The ten (name, score, date) rows of a score file the game wrote whole, or ten empty rows."""
    lines = [] if data is None else data.decode('utf-8').split('\r\n')[:-1]
    rows = [(lines[i], int(lines[i + 1]), lines[i + 2]) for i in range(0, len(lines) - 2, 3)]
    return (rows + [('', 0, '')] * 10)[:10]


def whole_score_file(old, name, score):
    """What the game writes when the name enters the table read from old: the thirty lines, each
    ended by CR LF, the new row dated now; any other bytes are a partial or foreign file."""
    rows = score_rows(old)
    rank = next((i for i, row in enumerate(rows) if row[1] < score), None)
    if rank is None:
        return None
    rows.insert(rank, (name, score, None))
    pattern = ''
    for row_name, row_score, date in rows[:10]:
        # A drawn table shows an empty name as twelve dashes, and writes it so.
        name_re = '(|-{12})' if row_name == '' else re.escape(row_name)
        date_re = r'\d{4}-\d\d-\d\d \d\d:\d\d:\d\d' if date is None else re.escape(date)
        pattern += '%s\r\n%d\r\n%s\r\n' % (name_re, row_score, date_re)
    return re.compile(pattern.encode('utf-8'))


def stored_game(ini, difficulty, score):
    """kirpo.ini holding a game on the first level with no runner in reserve: the start resumes it,
    and ending it with the kill button opens the name entry at once when the score enters the table."""
    for key, value in (('ShowNavButtons', ini_value(ini, 'ShowNavButtons') or '1'), ('Difficulty', str(difficulty)),
                       ('Level', '1'), ('StartLevel', '0'), ('Runner', '0'), ('Score', str(score)), ('StartMode', '2')):
        ini = ini_after(ini, key, value)
    return ini


# What the game itself writes to kirpo.ini during a round, each key by its own whole write: the
# start, the close on Esc (Level, then the window's placement) and a game over.
GAME_WRITES = {
    'shownavbuttons': lambda v: v == '1',
    'level': lambda v: v == '0',
    'fullscreen': lambda v: v in ('0', '1'),
    'windowleft': lambda v: v.lstrip('-').isdigit(),
    'windowtop': lambda v: v.lstrip('-').isdigit(),
    'windowwidth': lambda v: v.isdigit(),
    'windowheight': lambda v: v.isdigit(),
}


def ini_written_whole(before, after):
    """True when after is before with some of the game's own writes done, each whole: every line of
    before still there in its order, only the game's keys changed, new ones appended, every line ended."""
    if after is None or not after.endswith(b'\r\n'):
        return False
    old = [] if before is None else before.decode('latin-1').split('\r\n')[:-1]
    new = after.decode('latin-1').split('\r\n')[:-1]
    if old and old[0].startswith('\ufeff'):
        old[0] = old[0][1:]
    if len(new) < len(old):
        return False
    for i, line in enumerate(new):
        if '=' not in line:
            return False
        key, value = line.split('=', 1)
        if i < len(old):
            if line == old[i]:
                continue
            if '=' not in old[i] or old[i].split('=', 1)[0] != key:
                return False
        check = GAME_WRITES.get(key.strip().lower())
        if not check or not check(value):
            return False
    return True


def ini_after(text, key, value):
    """kirpo.ini after WriteIni(key, value): the key's line replaced, or appended."""
    lines = [] if text is None else text.decode('latin-1').replace('\r\n', '\n').replace('\r', '\n').split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    if lines and lines[0].startswith('\ufeff'):
        lines[0] = lines[0][1:]
    for i, line in enumerate(lines):
        if '=' in line and line.split('=', 1)[0].strip().lower() == key.lower():
            lines[i] = key + '=' + value
            break
    else:
        lines.append(key + '=' + value)
    return ''.join(l + '\r\n' for l in lines).encode('latin-1')


class Game:
    def __init__(self, exe, home, data_home=None):
        self.exe, self.home = exe, home
        data_home = data_home or os.path.join(home, 'data')
        self.data = os.path.join(data_home, 'KIRPO')
        self.env = dict(os.environ, XDG_DATA_HOME=data_home, HOME=home, SDL_AUDIODRIVER='dummy')
        self.env.setdefault('LSAN_OPTIONS', 'suppressions=%s/tools/ci/lsan.supp:print_suppressions=0' % ROOT)

    def start(self):
        out = open(os.path.join(self.home, 'last-start.log'), 'wb')
        return subprocess.Popen([self.exe], env=self.env, cwd=self.home, stdout=out, stderr=subprocess.STDOUT)

    def output(self):
        with open(os.path.join(self.home, 'last-start.log'), 'rb') as f:
            return f.read().decode('utf-8', 'replace')

    def windows(self, proc):
        found = subprocess.run(['xdotool', 'search', '--pid', str(proc.pid)], capture_output=True, text=True).stdout
        return ', '.join('%s %r' % (w, subprocess.run(['xdotool', 'getwindowname', w], capture_output=True,
                                                       text=True).stdout.strip()) for w in found.split())

    def window(self, proc, timeout):
        end = time.time() + timeout
        while time.time() < end and proc.poll() is None:
            out = subprocess.run(['xdotool', 'search', '--pid', str(proc.pid)], capture_output=True, text=True).stdout
            if out.split():
                return out.split()[-1]
            time.sleep(0.05)
        return None

    def press_esc(self, wid):
        """Esc closes; in a game in play the first one asks and the second one ends it."""
        for _ in range(2):
            subprocess.run(['xdotool', 'windowfocus', wid], capture_output=True)
            subprocess.run(['xdotool', 'keydown', 'Escape'], capture_output=True)
            time.sleep(0.1)
            subprocess.run(['xdotool', 'keyup', 'Escape'], capture_output=True)
            time.sleep(0.3)

    def xdotool(self, *args):
        subprocess.run(['xdotool'] + list(args), capture_output=True)

    def dialog(self):
        """The window of the game's question; SDL's message box has no class, so xdotool cannot find it."""
        tree = subprocess.run(['xwininfo', '-root', '-tree'], capture_output=True, text=True).stdout
        found = re.search(r'^\s*(0x[0-9a-f]+) "Kirpo":', tree, re.M)
        return found.group(1) if found else None

    def end_game_by_kill_button(self, proc, wid, timeout=40):
        """Clicks the kill button until the question comes (it is ignored while the runner walks in),
        and answers Yes. False when the question never came."""
        end = time.time() + timeout
        while time.time() < end and proc.poll() is None:
            self.xdotool('windowfocus', '--sync', wid)
            self.xdotool('mousemove', '--window', wid, '896', '200')
            self.xdotool('mousedown', '1')
            time.sleep(0.1)
            self.xdotool('mouseup', '1')
            for _ in range(8):
                dialog = self.dialog()
                if dialog:
                    self.xdotool('windowfocus', '--sync', dialog)
                    self.xdotool('key', 'Return')
                    return True
                time.sleep(0.1)
        return False

    def type_name_after_game_over(self, proc, wid, name, timeout=30):
        """Ends the resumed game with the kill button and types the name into the name entry that
        follows. The game over stores Level=0 first; where it cannot (a read-only folder), the wait
        is the timeout. False when the kill question never came."""
        if not self.end_game_by_kill_button(proc, wid):
            return False
        ini_path = os.path.join(self.data, 'kirpo.ini')
        end = time.time() + timeout
        while time.time() < end and ini_value(read(ini_path), 'Level') != '0' and proc.poll() is None:
            time.sleep(0.1)
        time.sleep(0.5)
        self.xdotool('windowfocus', '--sync', wid)
        self.xdotool('type', '--delay', '40', name)
        time.sleep(0.2)
        return True

    def files(self):
        names = ['kirpo.ini', 'image.store'] + [hiscore_file(d) for d in range(3)]
        return {n: read(os.path.join(self.data, n)) for n in names}

    def leftovers(self):
        return sorted(n for n in os.listdir(self.data) if '.tmp' in n or n.startswith('.unpacking-'))


def stuck_game_details(proc, wid):
    """Where the window stands and what the game's threads are doing: a round that never got its
    question is rare, and these say why when it happens."""
    parts = []
    if wid:
        parts.append(subprocess.run(['xwininfo', '-id', wid], capture_output=True, text=True).stdout)
    if proc.poll() is None and shutil.which('gdb'):
        try:
            parts.append(subprocess.run(['gdb', '-batch', '-ex', 'thread apply all bt', '-p', str(proc.pid)],
                                        capture_output=True, text=True, timeout=60).stdout)
        except subprocess.TimeoutExpired:
            parts.append('gdb took too long')
    return '\n'.join(parts)


def clean_run(game):
    """One start that runs to its end: learns the whole new store and how long a start takes."""
    proc = game.start()
    t0 = time.time()
    wid = game.window(proc, 120)
    if not wid:
        proc.kill()
        sys.exit('the game shows no window (exit code %s; is DISPLAY set? run under xvfb-run):\n%s' % (
            proc.poll(), game.output()[-800:]))
    store = os.path.join(game.data, 'image.store')
    while not os.path.exists(store) and time.time() - t0 < 120:
        time.sleep(0.05)
    ready = time.time() - t0
    time.sleep(1.0)
    for attempt in range(4):  # a busy machine may miss a key press while the window takes focus
        game.press_esc(wid)
        try:
            code = proc.wait(15)
            break
        except subprocess.TimeoutExpired:
            continue
    else:
        proc.kill()
        sys.exit('the game did not close on Esc')
    if code != 0:
        sys.exit('a clean run ended with code %d' % code)
    return ready


KINDS = ['start', 'store', 'store', 'esc', 'esc', 'install', 'score']


def described(writes):
    return '%d (%s)' % (sum(writes.values()), ', '.join('%s %d' % kv for kv in writes.items()))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--kills', type=int, default=10)
    ap.add_argument('--seed', type=int, default=96)
    ap.add_argument('--kinds', nargs='+', choices=sorted(set(KINDS)), help='only these kinds of round')
    ap.add_argument('--exe', default=os.path.join(ROOT, 'build', 'test', 'kirpo'))
    args = ap.parse_args()
    rnd = random.Random(args.seed)
    home = tempfile.mkdtemp(prefix='kirpo-kill-')
    exe_dir = os.path.join(home, 'bin')
    os.makedirs(exe_dir)
    exe = os.path.join(exe_dir, 'kirpo')
    shutil.copy(args.exe, exe)
    shutil.copy(os.path.join(os.path.dirname(args.exe), 'kirpo_5-0-0.zip'), exe_dir)
    game = Game(exe, home)
    ready = clean_run(game)
    good_store = read(os.path.join(game.data, 'image.store'))
    good_entries = store_entries(good_store)
    print('a start takes %.1f s to its store write; the store has %d bytes' % (ready, len(good_store)))

    kills = failures = seen_leftovers = 0
    writes = {'kirpo.ini': 0, 'image.store': 0, 'hiscore': 0}
    counts = {}
    ini_path = os.path.join(game.data, 'kirpo.ini')
    bag = []
    proc = None
    try:
        while kills < args.kills:
            # Drawn from a shuffled bag of every kind, so that even a short run tries each of them.
            if not bag:
                bag = [k for k in rnd.sample(KINDS, len(KINDS)) if not args.kinds or k in args.kinds]
            kind = bag.pop()
            counts[kind] = counts.get(kind, 0) + 1
            store_path = os.path.join(game.data, 'image.store')
            if kind == 'store':
                damage = rnd.choice(['delete', 'truncate', 'flip'])
                if damage == 'delete' or read(store_path) is None:
                    if os.path.exists(store_path):
                        os.unlink(store_path)
                else:
                    data = bytearray(read(store_path))
                    if damage == 'truncate':
                        data = data[:rnd.randrange(1, len(data))]
                    else:
                        data[rnd.randrange(8, len(data))] ^= 0xFF
                    with open(store_path, 'wb') as f:
                        f.write(data)
            if kind == 'install':
                marker = os.path.join(game.data, 'generatedfigures_0.txt')
                if os.path.exists(marker):
                    os.unlink(marker)
            score_versions = {}
            if kind == 'score':
                difficulty = rnd.randrange(3)
                score_name = hiscore_file(difficulty)
                rows = score_rows(read(os.path.join(game.data, score_name)))
                score = rnd.randint(rows[-1][1] + 1, rows[0][1] + 1000)
                name = ''.join(rnd.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rnd.randint(1, 12)))
                with open(ini_path, 'wb') as f:
                    f.write(stored_game(read(ini_path), difficulty, score))
                score_versions[score_name] = whole_score_file(read(os.path.join(game.data, score_name)), name.upper(),
                                                              score)
            before = game.files()
            seen_leftovers += len(game.leftovers())
            ini_versions = [before['kirpo.ini'], ini_after(before['kirpo.ini'], 'ShowNavButtons', '1')]
            ini_versions.append(ini_after(ini_versions[1], 'Level', '0'))
            ini_versions.append(ini_after(before['kirpo.ini'], 'Level', '0'))
            store_versions = [before['image.store'], good_store]

            proc = game.start()
            if kind == 'esc':
                wid = game.window(proc, 60)
                time.sleep(rnd.uniform(0.5, 1.5))
                if wid:
                    game.press_esc(wid)
                time.sleep(rnd.uniform(0, 0.8))
            elif kind == 'score':
                wid = game.window(proc, 60)
                if not wid or not game.type_name_after_game_over(proc, wid, name):
                    shot = os.path.join(tempfile.gettempdir(), 'kirpo-kill-round-%d.png' % kills)
                    subprocess.run(['import', '-window', 'root', shot], capture_output=True)
                    print('round %d (score): the kill question never came (window %s, running %s, screen in %s); '
                          'windows:\n%s\nthe game said:\n%s\n%s' % (kills, wid, proc.poll() is None, shot,
                                                                      game.windows(proc), game.output()[-1500:],
                                                                      stuck_game_details(proc, wid)))
                else:
                    # Now and then killed before the name is saved; else a moment after Return, around the write.
                    if rnd.random() < 0.8:
                        game.xdotool('key', 'Return')
                        time.sleep(rnd.uniform(0, 0.12))
            else:
                time.sleep(rnd.uniform(0, ready * 1.3 + 0.3))
            if proc.poll() is None:
                proc.send_signal(signal.SIGKILL)
                kills += 1
            proc.wait()

            after = game.files()
            ok = True
            if after['kirpo.ini'] not in ini_versions and not ini_written_whole(before['kirpo.ini'], after['kirpo.ini']):
                ok = False
                print('round %d (%s): kirpo.ini is no version the game wrote whole: %r' % (
                    kills, kind, after['kirpo.ini']))
            # A rebuilt store may list its entries in another order than a store made from nothing
            # (entries that survived come first), so a new store is recognised by its entries.
            if after['image.store'] not in store_versions and store_entries(after['image.store']) != good_entries:
                ok = False
                size = None if after['image.store'] is None else len(after['image.store'])
                print('round %d (%s): image.store (%s bytes) is neither the old nor the new one' % (kills, kind, size))
            for n in (hiscore_file(d) for d in range(3)):
                if after[n] == before[n]:
                    continue
                if n in score_versions and after[n] is not None and score_versions[n].fullmatch(after[n]):
                    continue
                ok = False
                print('round %d (%s): %s is neither the old file nor the new table: %r' % (kills, kind, n, after[n]))
            failures += not ok
            writes['kirpo.ini'] += after['kirpo.ini'] != before['kirpo.ini']
            writes['image.store'] += after['image.store'] != before['image.store']
            writes['hiscore'] += any(after[hiscore_file(d)] != before[hiscore_file(d)] for d in range(3))
            if kind == 'score' and ini_value(after['kirpo.ini'], 'Level') != '0':
                # A game killed before its end would be resumed by the next round's start.
                with open(ini_path, 'wb') as f:
                    f.write(ini_after(after['kirpo.ini'], 'Level', '0'))
            if kills % 25 == 0 and proc.returncode == -signal.SIGKILL:
                print('... %d kills, completed writes %s, %d files not whole' % (kills, described(writes), failures),
                      flush=True)
    except KeyboardInterrupt:
        # Stopped by hand (Ctrl-C, SIGINT): the round under way is not judged, the rest is reported.
        print('stopped by hand after %d kills' % kills)
        if proc and proc.poll() is None:
            proc.kill()
            proc.wait()

    # A last start that runs to its end cleans up after every killed process.
    clean_run(game)
    left = game.leftovers()
    print('kills %d (%s), completed writes %s, files not whole after a kill %d, leftovers seen before starts %d, '
          'left after a clean start %d' % (kills, ', '.join('%s %d' % kv for kv in sorted(counts.items())),
                                           described(writes), failures, seen_leftovers, len(left)))
    shutil.rmtree(home, ignore_errors=True)
    return 1 if failures or left else 0


if __name__ == '__main__':
    sys.exit(main())
