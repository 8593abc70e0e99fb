#!/usr/bin/env bash
# Screenshots of the real game for comparing looks: the attract mode, play on Crazy on a level
# that holds every kind of figure, the pause, and a wide 1400 x 500 window (kept 16:10, and
# stretched by Stretch=1).
# Usage: tools/look/shots.sh path/to/kirpo out-dir [prefix]   (needs an X display at least 1400 wide,
# e.g. xvfb-run -a -s "-screen 0 1600x1000x24")
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "${1:?path to kirpo}")
out=$(realpath -m "${2:?output folder}")
prefix=${3:-}
mkdir -p "$out"
data=$(mktemp -d)
pid=
stop() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  pid=
}
trap 'stop; rm -rf "$data"' EXIT
export XDG_DATA_HOME=$data SDL_AUDIODRIVER=dummy
kirpo_dir=$data/KIRPO

start() {
  "$exe" >/dev/null 2>&1 & pid=$!
  win=
  for _ in $(seq 150); do
    win=$(xdotool search --name 'Kirpo written by Vambrecht' 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || { echo "shots.sh: no game window" >&2; exit 1; }
}
shot() { import -window "$win" "$out/$prefix$1.png"; }
key() {
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool keydown "$1"; sleep "${2:-0.2}"; xdotool keyup "$1"
}

# The attract mode: the first start unpacks the data package; the demo is on after the splash.
start
sleep 9
shot attract
stop

# Play on Crazy, resuming a game on the second level, which is swapped for one with every kind of figure on the field.
cp "$here/every-figure-level.txt" "$kirpo_dir/generatedfigures_1.txt"
printf 'Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\nDifficulty=2\r\n' >"$kirpo_dir/kirpo.ini"
start
sleep 6
shot crazy
sleep 0.7
key F5
sleep 0.6
shot paused
key F5
sleep 0.6
xdotool windowmove "$win" 0 0  # so that the wider window stays on the screen
xdotool windowsize --sync "$win" 1400 500 >/dev/null 2>&1 || xdotool windowsize "$win" 1400 500
sleep 1.5
shot wide-1400x500
stop

# The same window with "Stretch=1": the picture fills it, stretched.
printf 'Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\nDifficulty=2\r\nStretch=1\r\n' >"$kirpo_dir/kirpo.ini"
start
sleep 6
xdotool windowmove "$win" 0 0
xdotool windowsize --sync "$win" 1400 500 >/dev/null 2>&1 || xdotool windowsize "$win" 1400 500
sleep 1.5
shot wide-1400x500-stretch
stop
echo "screenshots in $out"
