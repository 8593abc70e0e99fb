#!/usr/bin/env bash
# Warm start (exec to the first painted game frame) and idle CPU share in the attract mode.
# Usage: tools/measure/startup.sh path/to/kirpo [runs]   (needs an X display, e.g. under xvfb-run)
set -euo pipefail
exe=${1:?path to kirpo}
runs=${2:-5}
data=$(mktemp -d)
trap 'pkill -f "$exe" 2>/dev/null || true; rm -rf "$data"' EXIT
export XDG_DATA_HOME=$data SDL_AUDIODRIVER=dummy
# One cold start unpacks the package and writes the image store; the measured starts are warm.
"$exe" >/dev/null 2>&1 & pid=$!; sleep 6; kill "$pid"; wait "$pid" 2>/dev/null || true
for i in $(seq "$runs"); do
  start=$(date +%s%N)
  "$exe" >/dev/null 2>&1 & pid=$!
  while :; do
    w=$(xdotool search --name 'Kirpo written by Vambrecht' 2>/dev/null | head -n1 || true)
    if [ -n "$w" ]; then
      # The game picture is painted once the play-field area is no longer plain black.
      mean=$(import -window "$w" -crop 400x300+100+150 -colorspace gray -format '%[fx:mean]' info: 2>/dev/null || echo 0)
      if awk "BEGIN{exit !($mean > 0.01)}"; then break; fi
    fi
    sleep 0.02
  done
  end=$(date +%s%N)
  echo "start $i: $(( (end - start) / 1000000 )) ms to the first painted frame"
  if [ "$i" -eq "$runs" ]; then
    sleep 12  # past the splash, into the demo
    a=$(awk '{print $14+$15}' /proc/$pid/stat); sleep 20; b=$(awk '{print $14+$15}' /proc/$pid/stat)
    echo "idle attract mode: $(( (b - a) * 100 / (20 * $(getconf CLK_TCK)) ))% of one core over 20 s"
  fi
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
