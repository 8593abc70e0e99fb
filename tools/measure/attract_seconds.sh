#!/usr/bin/env bash
# The game's CPU share second by second through its attract mode, with what the window shows, so
# that a phase (the splash, the high-score table, the demo) can be read off on its own.
# Usage: xvfb-run -a -s "-screen 0 1280x800x24 -noreset" tools/measure/attract_seconds.sh path/to/kirpo [seconds]
# Prints one line a second: the second, the % of one core (all threads, then the main thread alone)
# and what is shown: "splash" (the first 10 s), "table" (the high-score table and the picture before
# it) or "game".
# The first start (unpacking, building the store) is made before and not counted.
set -euo pipefail
exe=$(readlink -f "${1:?path to kirpo}")
secs=${2:-60}
work=$(mktemp -d)
pid=''
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy XDG_DATA_HOME=$work

"$exe" >/dev/null 2>&1 & pid=$!
sleep 6; kill "$pid"; wait "$pid" 2>/dev/null || true
"$exe" >/dev/null 2>&1 & pid=$!
window=''
for _ in $(seq 100); do
  window=$(xdotool search --name 'Kirpo' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no window" >&2; exit 1; }

. "$(dirname "$0")/proc.sh"
main_ns() { awk '{print $1}' /proc/"$pid"/schedstat; }
# Inside the field, a third of the way across and down, the level is mostly black; the splash picture
# and the table cover it with their bright backdrop.
shown() {
  local geometry w h mean
  geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/{print $2}')
  w=${geometry%x*} h=${geometry#*x}
  mean=$(import -window "$window" -crop "$((w / 48))x$((h / 60))+$((w * 35 / 100))+$((h / 3))" -format '%[fx:mean]' info:)
  awk -v m="$mean" -v s="$1" 'BEGIN{ if (m < 0.15) print "game"; else if (s <= 10) print "splash"; else print "table" }'
}

a=$(cpu_ns) m=$(main_ns)
for s in $(seq "$secs"); do
  sleep 1
  a2=$(cpu_ns) m2=$(main_ns)
  printf '%3d %6.2f %6.2f %s\n' "$s" "$(awk -v d=$((a2 - a)) 'BEGIN{print d / 1e7}')" \
    "$(awk -v d=$((m2 - m)) 'BEGIN{print d / 1e7}')" "$(shown "$s")"
  a=$a2 m=$m2
done
