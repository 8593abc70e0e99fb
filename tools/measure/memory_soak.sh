#!/usr/bin/env bash
# The game's RSS over a long attract mode: one line a minute (minute, VmRSS MB, VmHWM MB).
# Usage: xvfb-run -a -s "-screen 0 1280x800x24 -noreset" tools/measure/memory_soak.sh path/to/kirpo [minutes]
# A fresh data folder; a window manager (openbox) is started when none runs.
set -euo pipefail
exe=$(readlink -f "${1:?path to kirpo}")
minutes=${2:-60}
work=$(mktemp -d)
pid='' wm=''
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; [ -n "$wm" ] && kill "$wm" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  openbox >/dev/null 2>&1 & wm=$!
  sleep 1
fi
XDG_DATA_HOME=$work "$exe" >/dev/null 2>&1 & pid=$!
for m in $(seq 0 "$minutes"); do
  [ "$m" -gt 0 ] && sleep 60
  kill -0 "$pid" 2>/dev/null || { echo "the game ended" >&2; exit 1; }
  awk -v m="$m" '/^VmRSS/{r=$2} /^VmHWM/{h=$2} END{printf "%3d %6.1f %6.1f\n", m, r / 1024, h / 1024}' "/proc/$pid/status"
done
