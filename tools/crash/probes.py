#!/usr/bin/env python3
"""Runs the real executable against hostile packages, broken file systems and a hostile
environment, and checks each outcome: the documented exit code and message, nothing written
outside the data folder, bounded memory and disk, old files byte-identical, and a later start
with the good package installing cleanly.

  xvfb-run -a tools/crash/probes.py [--exe build/test/kirpo] [--only NAME...]

The file-system probes mount small tmpfs file systems and so need root; without it they are
reported as skipped. Prints one line per probe and a summary; exits 1 when any probe fails.
"""
import argparse
import io
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

from kill_during_writes import Game, read, stored_game

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MARKER = 'generatedfigures_0.txt'
PACKAGE = 'kirpo_5-0-0.zip'
DATE = (2026, 1, 1, 0, 0, 0)


def tree(path):
    out = {}
    for base, dirs, files in os.walk(path):
        for n in dirs + files:
            p = os.path.join(base, n)
            out[p] = None if os.path.isdir(p) and not os.path.islink(p) else os.lstat(p).st_size
    return out


def disk_use(path):
    return sum(os.lstat(os.path.join(b, f)).st_size for b, _, fs in os.walk(path) for f in fs)


class Run:
    """One start of the game: exit code, output, peak memory (KiB)."""

    def __init__(self, exe, env, cwd, timeout=120, esc_after=None, user=None, term_after=None):
        cmd = [exe]
        if user:
            cmd = ['setpriv', '--reuid', str(user), '--regid', str(user), '--clear-groups', '--'] + cmd
        out = tempfile.TemporaryFile()
        proc = subprocess.Popen(cmd, env=env, cwd=cwd, stdout=out, stderr=subprocess.STDOUT)
        self.pid, self.status, self.usage = proc.pid, None, None
        t0 = time.time()
        self.timed_out = False
        if esc_after is not None:
            wid = None
            while time.time() - t0 < 60 and self.running() and not wid:
                found = subprocess.run(['xdotool', 'search', '--pid', str(proc.pid)], capture_output=True, text=True)
                wid = (found.stdout.split() or [None])[-1]
                time.sleep(0.1)
            time.sleep(esc_after)
            for _ in range(4):
                if not self.running() or not wid:
                    break
                subprocess.run(['xdotool', 'windowfocus', wid], capture_output=True)
                subprocess.run(['xdotool', 'keydown', 'Escape'], capture_output=True)
                time.sleep(0.1)
                subprocess.run(['xdotool', 'keyup', 'Escape'], capture_output=True)
                for _ in range(100):
                    if not self.running():
                        break
                    time.sleep(0.1)
        if term_after is not None:
            while self.running() and time.time() - t0 < term_after:
                time.sleep(0.05)
            if self.running():
                os.kill(proc.pid, signal.SIGTERM)
        while self.running() and time.time() - t0 < timeout:
            time.sleep(0.05)
        if self.running():
            self.timed_out = True
            os.kill(proc.pid, signal.SIGKILL)
            _, self.status, self.usage = os.wait4(proc.pid, 0)
        self.code = os.waitstatus_to_exitcode(self.status)
        self.seconds = time.time() - t0
        out.seek(0)
        self.output = out.read().decode('utf-8', 'replace')
        self.rss_kib = self.usage.ru_maxrss
        proc.returncode = self.code  # reaped here; Popen must not wait for it again

    def running(self):
        if self.status is not None:
            return False
        pid, status, usage = os.wait4(self.pid, os.WNOHANG)
        if pid == 0:
            return True
        self.status, self.usage = status, usage
        return False


class Probes:
    def __init__(self, exe):
        self.src_exe = exe
        self.good = os.path.join(os.path.dirname(exe), PACKAGE)
        self.results = []
        with zipfile.ZipFile(self.good) as z:
            self.good_files = {n: z.read(n) for n in z.namelist() if not n.endswith('/')}

    # --- helpers -------------------------------------------------------------------------------
    def home(self, name='kirpo probe'):
        h = tempfile.mkdtemp(prefix='kirpo-probe-')
        bin_dir = os.path.join(h, 'bin')
        os.makedirs(bin_dir)
        shutil.copy(self.src_exe, os.path.join(bin_dir, 'kirpo'))
        os.chmod(h, 0o755)
        return h

    def env(self, home, data_home=None, headless=True, **extra):
        env = {k: v for k, v in os.environ.items() if k not in ('HOME', 'XDG_DATA_HOME')}
        env.update(HOME=home, XDG_DATA_HOME=data_home or os.path.join(home, 'data'), SDL_AUDIODRIVER='dummy')
        env.setdefault('LSAN_OPTIONS', 'suppressions=%s/tools/ci/lsan.supp:print_suppressions=0' % ROOT)
        if headless:
            env['SDL_VIDEODRIVER'] = 'dummy'  # no dialog to wait for: messages go to the output
        env.update(extra)
        return env

    def record(self, name, ok, detail):
        self.results.append((name, ok, detail))
        print('%-34s %s  %s' % (name, 'ok  ' if ok else 'FAIL', detail), flush=True)

    def installs_cleanly(self, home, data):
        """A later start with the good package: every package file in place, byte for byte."""
        shutil.copy(self.good, os.path.join(home, 'bin', PACKAGE))
        run = Run(os.path.join(home, 'bin', 'kirpo'), self.env(home, headless=False), home, esc_after=1.0)
        missing = [n for n, b in self.good_files.items() if not os.path.isfile(os.path.join(data, n)) or
                   open(os.path.join(data, n), 'rb').read() != b]
        staging = [n for n in os.listdir(data) if n.startswith('.unpacking-')]
        return run.code == 0 and not missing and not staging, 'later good start: code %d, %d files wrong, %d staging' % (
            run.code, len(missing), len(staging))

    # --- hostile packages ------------------------------------------------------------------------
    def package_probe(self, name, make, reason):
        home = self.home()
        data = os.path.join(home, 'data', 'KIRPO')
        os.makedirs(data)
        pkg = os.path.join(home, 'bin', PACKAGE)
        make(pkg, data)
        before = tree(home)
        run = Run(os.path.join(home, 'bin', 'kirpo'), self.env(home), home)
        after = tree(home)
        outside = [p for p in after if p not in before and not p.startswith(data + os.sep)]
        outside += [p for p in ('/tmp/kirpo-evil.txt',) if os.path.exists(p)]
        used = disk_use(data)
        ok = (run.code == 2 and reason in run.output and not outside and
              not os.path.isfile(os.path.join(data, MARKER)) and run.rss_kib < 400 * 1024 and used < 64 << 20)
        detail = 'code %d in %.1f s, peak %d MiB, %d KiB in data, %d outside, reason %s' % (
            run.code, run.seconds, run.rss_kib // 1024, used // 1024, len(outside),
            'shown' if reason in run.output else 'MISSING: ' + run.output[-300:])
        good, later = self.installs_cleanly(home, data)
        self.record('package: ' + name, ok and good, detail + '; ' + later)
        shutil.rmtree(home, ignore_errors=True)

    def good_zip(self, pkg, extra=(), skip=()):
        with zipfile.ZipFile(pkg, 'w', zipfile.ZIP_DEFLATED) as z:
            for n, b in self.good_files.items():
                if n not in skip:
                    z.writestr(zipfile.ZipInfo(n, DATE), b, zipfile.ZIP_DEFLATED)
            for info, b in extra:
                z.writestr(info, b)

    def patched(self, pkg, local_off, central_off, value):
        """The good package with one header field of its first entry changed in both headers."""
        shutil.copy(self.good, pkg)
        data = bytearray(open(pkg, 'rb').read())
        struct.pack_into('<I', data, local_off, value)
        first_name = data[30:30 + struct.unpack_from('<H', data, 26)[0]]
        at = data.find(b'PK\x01\x02')
        while at >= 0 and data[at + 46:at + 46 + len(first_name)] != first_name:
            at = data.find(b'PK\x01\x02', at + 4)
        struct.pack_into('<I', data, at + central_off, value)
        open(pkg, 'wb').write(data)

    def hostile_packages(self):
        def symlink_info():
            i = zipfile.ZipInfo('Neu200.png', DATE)
            i.create_system = 3
            i.external_attr = 0o120777 << 16
            return i

        def bomb(pkg, data):
            with zipfile.ZipFile(pkg, 'w', zipfile.ZIP_DEFLATED) as z:
                z.writestr(zipfile.ZipInfo(MARKER, DATE), self.good_files[MARKER])
                with z.open(zipfile.ZipInfo('Neu1.png', DATE), 'w', force_zip64=True) as f:
                    zero = bytes(1 << 20)
                    for _ in range(1024):
                        f.write(zero)

        def many(pkg, data):
            with zipfile.ZipFile(pkg, 'w', zipfile.ZIP_STORED) as z:
                z.writestr(zipfile.ZipInfo(MARKER, DATE), self.good_files[MARKER])
                for i in range(100000):
                    z.writestr(zipfile.ZipInfo('e%d' % i, DATE), b'')

        first = sorted(self.good_files)[0]
        probes = [
            ('absolute name', lambda p, d: self.good_zip(p, [(zipfile.ZipInfo('/tmp/kirpo-evil.txt', DATE), b'x')]),
             'absolute path'),
            ('".." in a name', lambda p, d: self.good_zip(p, [(zipfile.ZipInfo('../evil.txt', DATE), b'x')]),
             'leaves the data folder'),
            ('symbolic link', lambda p, d: self.good_zip(p, [(symlink_info(), b'/etc/passwd')]), 'symbolic link'),
            ('size smaller than the data', lambda p, d: self.patched(p, 22, 24, 10), 'header says'),
            ('checksum mismatch', lambda p, d: self.patched(p, 14, 16, 0x12345678), 'CRC error'),
            ('truncated archive', lambda p, d: open(p, 'wb').write(open(self.good, 'rb').read()[:2000000]),
             'Zip is valid: No'),
            ('1 GiB zip bomb', bomb, 'more than the 32 MiB'),
            ('100000 entries', many, 'more than the 10000'),
            ('marker is a folder in the package',
             lambda p, d: self.good_zip(p, [(zipfile.ZipInfo(MARKER + '/x.txt', DATE), b'x')], skip=(MARKER,)),
             'The package lacks generatedfigures_0.txt'),
            ('file and folder of one name',
             lambda p, d: self.good_zip(p, [(zipfile.ZipInfo(first + '/x.txt', DATE), b'x')]),
             'both a file and a folder'),
        ]
        print('first entry of the good package: %s' % first)
        for name, make, reason in probes:
            self.package_probe(name, make, reason)

    # --- environment -----------------------------------------------------------------------------
    def environment(self):
        home = self.home()
        shutil.copy(self.good, os.path.join(home, 'bin', PACKAGE))
        exe = os.path.join(home, 'bin', 'kirpo')
        for name, extra in (('no display: DISPLAY unset', {}), ('no display: DISPLAY=:93', {'DISPLAY': ':93'})):
            env = self.env(home, headless=False, **extra)
            env.pop('SDL_VIDEODRIVER', None)
            env.pop('WAYLAND_DISPLAY', None)
            if 'DISPLAY' not in extra:
                env.pop('DISPLAY', None)
            run = Run(exe, env, home, timeout=30)
            ok = run.code == 1 and 'cannot open its window' in run.output and run.seconds < 10
            self.record(name, ok, 'code %d in %.1f s: %s' % (run.code, run.seconds, run.output.strip()[:120]))

        env = self.env(home, headless=False)
        env.pop('SDL_AUDIODRIVER')
        env['AUDIODEV'] = '/dev/nonexistent'
        run = Run(exe, env, home, esc_after=3.0)
        self.record('no audio device', run.code == 0, 'code %d: the game ran and closed on Esc, sound stayed off' %
                    run.code)

        odd = os.path.join(home, 'Spiele mit Leerzeichen', 'Größe ÄÖÜ 数据')
        env = self.env(home, data_home=odd, headless=False)
        first = Run(exe, env, home, esc_after=1.0)
        data = os.path.join(odd, 'KIRPO')
        store = os.path.join(data, 'image.store')
        store_before = open(store, 'rb').read() if os.path.exists(store) else b''
        second = Run(exe, env, home, esc_after=1.0)
        same_store = os.path.exists(store) and open(store, 'rb').read() == store_before
        ok = first.code == 0 and second.code == 0 and os.path.isfile(os.path.join(data, MARKER)) and same_store
        self.record('data path with blanks, non-ASCII', ok,
                    'codes %d, %d; the second start served every figure from the store: %s' % (
                        first.code, second.code, same_store))

        # HOME and XDG_DATA_HOME unset, for a user whose home cannot hold a data folder.
        env = self.env(home)
        del env['HOME'], env['XDG_DATA_HOME']
        if os.getuid() == 0 and shutil.which('setpriv'):
            os.chmod(os.path.join(home, 'bin'), 0o755)
            run = Run(exe, env, '/', user=65534)
            ok = run.code == 2 and 'data folder' in run.output and 'start Kirpo again' in run.output
            self.record('HOME, XDG_DATA_HOME unset', ok, 'user nobody (home /nonexistent): code %d, %s' % (
                run.code, [l for l in run.output.splitlines() if 'data folder' in l][:1] or run.output[-600:]))
        else:
            self.record('HOME, XDG_DATA_HOME unset', True, 'skipped: needs root to run as another user')
        shutil.rmtree(home, ignore_errors=True)

    def save_a_name(self, home, data_home):
        """Resumes a stored game whose score enters the Easy table, ends it with the kill button, saves
        the name PROBE, answers any message with OK and closes the game with Esc. Returns the exit
        code (None when the game had to be killed) and what the game said."""
        game = Game(os.path.join(home, 'bin', 'kirpo'), home, data_home)
        proc = game.start()
        wid = game.window(proc, 60)
        if wid and game.type_name_after_game_over(proc, wid, 'probe', timeout=12):
            game.xdotool('key', 'Return')
            time.sleep(2)
            dialog = game.dialog()
            if dialog:
                game.xdotool('windowfocus', '--sync', dialog)
                game.xdotool('key', 'Return')
                time.sleep(1)
            game.press_esc(wid)
        try:
            code = proc.wait(30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            code = None
        return code, game.output()

    @staticmethod
    def prepare_score(data, table=True):
        """A stored game whose score, 5000, tops the Easy table, which holds ten lower scores."""
        ini = os.path.join(data, 'kirpo.ini')
        with open(ini, 'r+b') as f:
            text = stored_game(f.read(), 0, 5000)
            f.seek(0)
            f.truncate()
            f.write(text)
        if table:
            with open(os.path.join(data, 'hiscore_e.txt'), 'wb') as f:
                f.write(b''.join(b'OLD%d\r\n%d\r\n2026-01-01 00:00:00\r\n' % (i, 1000 - 100 * i) for i in range(10)))

    def score_probe(self, name, home, data_home, outcome, unchanged=('kirpo.ini', 'image.store', 'hiscore_e.txt')):
        """A name saved where it cannot be written: the game says so and why, goes on and ends
        normally, and every old file stays byte-identical."""
        data = os.path.join(data_home, 'KIRPO')
        old = {n: read(os.path.join(data, n)) for n in unchanged}
        code, output = self.save_a_name(home, data_home)
        same = {n: read(os.path.join(data, n)) for n in unchanged} == old
        said = [l for l in output.splitlines() if 'could not be saved' in l]
        temporaries = [n for n in os.listdir(data) if '.tmp' in n]
        ok = code == 0 and same and bool(said) and outcome in said[0] and not temporaries
        self.record(name, ok, 'code %s, old files byte-identical: %s, %d temporaries, said: %s' % (
            code, same, len(temporaries), said[:1] or output[-400:]))

    # --- file systems ------------------------------------------------------------------------------
    def mount(self, path, size):
        os.makedirs(path, exist_ok=True)
        return subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=%s' % size, 'tmpfs', path]).returncode == 0

    @staticmethod
    def fill(path):
        """Fills the file system of path to its last byte."""
        try:
            with open(path, 'wb') as f:
                while True:
                    f.write(bytes(1 << 16))
                    f.flush()
        except OSError:
            pass

    def installed_copy(self, home):
        """A data folder after a clean first start and close (the files a player has)."""
        shutil.copy(self.good, os.path.join(home, 'bin', PACKAGE))
        Run(os.path.join(home, 'bin', 'kirpo'), self.env(home, data_home=os.path.join(home, 'ref'), headless=False),
            home, esc_after=1.0)
        return os.path.join(home, 'ref', 'KIRPO')

    def file_systems(self):
        if os.getuid() != 0:
            self.record('file systems', True, 'skipped: mounting a tmpfs needs root')
            return
        home = self.home()
        exe = os.path.join(home, 'bin', 'kirpo')
        ref = self.installed_copy(home)
        mnt = os.path.join(home, 'mnt')

        def snapshot(d):
            return {n: open(os.path.join(d, n), 'rb').read() for n in ('kirpo.ini', 'image.store')}

        try:
            # A disk too small for the data: the first start says so.
            assert self.mount(mnt, '3m')
            run = Run(exe, self.env(home, data_home=mnt), home)
            left = [n for n in os.listdir(os.path.join(mnt, 'KIRPO')) if n != 'kirpo-install-report.txt']
            ok = run.code == 2 and 'Not enough free disk space' in run.output and not left
            self.record('full disk: first start', ok, 'code %d: %s' % (
                run.code, [l for l in run.output.splitlines() if 'disk' in l][:1]))
            subprocess.run(['umount', mnt])

            # A full disk under an installed game whose store must be rebuilt.
            assert self.mount(mnt, '64m')
            data = os.path.join(mnt, 'KIRPO')
            shutil.copytree(ref, data)
            with open(os.path.join(data, 'image.store'), 'r+b') as f:
                f.truncate(1000)  # damaged: the start rebuilds it
            old = snapshot(data)
            self.fill(os.path.join(mnt, 'filler'))
            run = Run(exe, self.env(home, data_home=mnt, headless=False), home, esc_after=2.0)
            left = [n for n in os.listdir(data) if '.tmp' in n]
            ok = run.code == 0 and snapshot(data) == old and not left
            self.record('full disk: store rebuild, close', ok, 'code %d, old files byte-identical: %s, %d temporaries' % (
                run.code, snapshot(data) == old, len(left)))
            subprocess.run(['umount', mnt])

            # A read-only data folder.
            assert self.mount(mnt, '64m')
            shutil.copytree(ref, os.path.join(mnt, 'KIRPO'))
            old = snapshot(data)
            subprocess.run(['mount', '-o', 'remount,ro', mnt])
            run = Run(exe, self.env(home, data_home=mnt, headless=False), home, esc_after=2.0)
            ok = run.code == 0 and snapshot(data) == old
            self.record('read-only data folder', ok, 'code %d, old files byte-identical: %s' % (
                run.code, snapshot(data) == old))
            subprocess.run(['umount', mnt])

            # A name saved in a read-only data folder.
            assert self.mount(mnt, '64m')
            shutil.copytree(ref, data)
            self.prepare_score(data)
            subprocess.run(['mount', '-o', 'remount,ro', mnt])
            self.score_probe('read-only data folder: a saved name', home, mnt, 'Read-only file system')
            subprocess.run(['umount', mnt])

            # A name saved on a full disk.
            assert self.mount(mnt, '64m')
            shutil.copytree(ref, data)
            self.prepare_score(data)
            self.fill(os.path.join(mnt, 'filler'))
            self.score_probe('full disk: a saved name', home, mnt, 'No space left on device')
            subprocess.run(['umount', mnt])
        finally:
            subprocess.run(['umount', mnt], capture_output=True)

        # Folders where the settings and the store belong.
        data_home = os.path.join(home, 'dirs')
        shutil.copytree(ref, os.path.join(data_home, 'KIRPO'))
        data = os.path.join(data_home, 'KIRPO')
        for n in ('kirpo.ini', 'image.store'):
            os.unlink(os.path.join(data, n))
            os.makedirs(os.path.join(data, n, 'inside'))
        # Headless: the message about the settings' folder goes to the output instead of a box to answer.
        run = Run(exe, self.env(home, data_home=data_home), home, term_after=6.0)
        said = run.output.count(os.path.join(data, 'kirpo.ini') + ' is a folder, not a file')
        ok = run.code == 0 and said == 1 and all(
            os.path.isdir(os.path.join(data, n, 'inside')) for n in ('kirpo.ini', 'image.store'))
        self.record('folders where files belong', ok, 'code %d; the folders are left as they were%s' % (
            run.code, '' if ok else ': ' + run.output[-600:]))

        # A folder where the Easy table belongs, when a name is saved.
        data_home = os.path.join(home, 'scoredir')
        data = os.path.join(data_home, 'KIRPO')
        shutil.copytree(ref, data)
        self.prepare_score(data, table=False)
        os.makedirs(os.path.join(data, 'hiscore_e.txt', 'inside'))
        # (the store is rewritten here all the same: the data folder has moved since it was made)
        self.score_probe('folder where a score file belongs', home, data_home, 'is a folder, not a file', unchanged=())
        if not os.path.isdir(os.path.join(data, 'hiscore_e.txt', 'inside')):
            self.record('folder where a score file belongs: the folder stays', False, 'it was removed')

        # The data folder's path is a file.
        data_home = os.path.join(home, 'isfile')
        os.makedirs(data_home)
        open(os.path.join(data_home, 'KIRPO'), 'wb').write(b'precious')
        shutil.copy(self.good, os.path.join(home, 'bin', PACKAGE))
        run = Run(exe, self.env(home, data_home=data_home), home)
        ok = (run.code == 2 and 'is a file, not a folder. Move or delete that file' in run.output and
              open(os.path.join(data_home, 'KIRPO'), 'rb').read() == b'precious')
        self.record('data folder path is a file', ok, 'code %d: %s' % (
            run.code, [l for l in run.output.splitlines() if 'is a file' in l][:1]))
        shutil.rmtree(home, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--exe', default=os.path.join(ROOT, 'build', 'test', 'kirpo'))
    ap.add_argument('--only', nargs='*', default=['packages', 'environment', 'filesystems'])
    args = ap.parse_args()
    if not os.environ.get('DISPLAY'):
        sys.exit('needs an X display: run under xvfb-run')
    p = Probes(os.path.abspath(args.exe))
    if 'packages' in args.only:
        p.hostile_packages()
    if 'environment' in args.only:
        p.environment()
    if 'filesystems' in args.only:
        p.file_systems()
    failed = [r for r in p.results if not r[1]]
    print('%d probes, %d failed' % (len(p.results), len(failed)))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
