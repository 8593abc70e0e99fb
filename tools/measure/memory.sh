#!/usr/bin/env bash
# Resident memory and CPU share of the real game at the default window, each run on a fresh data
# folder, with medians over the runs.
# Usage: xvfb-run -a -s "-screen 0 1280x800x24 -noreset" tools/measure/memory.sh path/to/kirpo [runs] [seconds]
# A window manager (openbox) is started when none runs. Per run:
#   attract   the first start (unpacking, the figure store built), then the attract mode from 15 s
#             on: RSS sampled each second for the window of seconds (median and highest), CPU share
#   play      Return, Return (the start menu, a new game), then the runner walked about by held
#             arrow keys for the window of seconds: RSS (median, highest), CPU share
#   full      F11 (full screen on the 1280 x 800 screen), F11 back: RSS in full screen and after
#   paused    F5, then the window of seconds: RSS, CPU share
#   peak      VmHWM at the end: the highest RSS of the whole run, the first start included
# and the resident memory by part (tools/measure/memory_parts.py) in the attract mode and in play.
set -euo pipefail
exe=$(readlink -f "${1:?path to kirpo}")
runs=${2:-3}
secs=${3:-30}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid='' wm='' keys=''
stop() { # ends only the processes this script started, by their id
  [ -n "$keys" ] && kill "$keys" 2>/dev/null && wait "$keys" 2>/dev/null || true
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  pid='' keys=''
}
trap 'stop; [ -n "$wm" ] && kill "$wm" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  openbox >/dev/null 2>&1 & wm=$!
  sleep 1
fi

. "$here/proc.sh"
median() { sort -n | awk '{a[NR]=$1} END{if (NR) print a[int((NR+1)/2)]; else print "-"}'; }
rss_mb() { awk '/^VmRSS/{printf "%.1f\n", $2 / 1024}' "/proc/$pid/status"; }
hwm_mb() { awk '/^VmHWM/{printf "%.1f\n", $2 / 1024}' "/proc/$pid/status"; }
# Samples RSS once a second over $secs seconds; sets med, high (MB) and cpu (% of one core).
observe() {
  local a b samples=()
  a=$(cpu_ns)
  for _ in $(seq "$secs"); do sleep 1; samples+=("$(rss_mb)"); done
  b=$(cpu_ns)
  med=$(printf '%s\n' "${samples[@]}" | median)
  high=$(printf '%s\n' "${samples[@]}" | sort -n | tail -n1)
  cpu=$(awk -v d=$((b - a)) -v s="$secs" 'BEGIN{printf "%.2f", d / (s * 1e7)}')
}
window() {
  local w=''
  for _ in $(seq 100); do
    w=$(xdotool search --name 'Kirpo' 2>/dev/null | head -n1 || true)
    [ -n "$w" ] && break
    sleep 0.1
  done
  echo "$w"
}
press() { xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true; xdotool key --clearmodifiers "$@"; }

declare -a att att_hi att_cpu ply ply_hi ply_cpu pau pau_cpu full after peak
for i in $(seq "$runs"); do
  data=$work/data$i
  mkdir -p "$data"
  XDG_DATA_HOME=$data "$exe" >"$work/out$i.txt" 2>&1 & pid=$!
  w=$(window)
  [ -n "$w" ] || { echo "no window" >&2; exit 1; }
  sleep 15
  observe; att+=("$med"); att_hi+=("$high"); att_cpu+=("$cpu")
  echo "run $i $("$here/memory_parts.py" "$pid" attract)"
  [ -n "${KIRPO_MEASURE_SHOTS:-}" ] && import -window root "$KIRPO_MEASURE_SHOTS/attract$i.png"

  press Return; sleep 3; press Return; sleep 4
  ( while kill -0 "$pid" 2>/dev/null; do
      for k in Left Up Right Down; do xdotool keydown "$k"; sleep 0.7; xdotool keyup "$k"; done
    done ) & keys=$!
  observe; ply+=("$med"); ply_hi+=("$high"); ply_cpu+=("$cpu")
  kill "$keys" 2>/dev/null; wait "$keys" 2>/dev/null || true; keys=''
  for k in Left Up Right Down; do xdotool keyup "$k"; done
  echo "run $i $("$here/memory_parts.py" "$pid" play)"
  [ -n "${KIRPO_MEASURE_SHOTS:-}" ] && import -window root "$KIRPO_MEASURE_SHOTS/play$i.png"

  press F11; sleep 3
  full+=("$(rss_mb)")
  [ -n "${KIRPO_MEASURE_SHOTS:-}" ] && import -window root "$KIRPO_MEASURE_SHOTS/full$i.png"
  press F11; sleep 3
  after+=("$(rss_mb)")
  press F5; sleep 1
  observe; pau+=("$med"); pau_cpu+=("$cpu")
  [ -n "${KIRPO_MEASURE_SHOTS:-}" ] && import -window root "$KIRPO_MEASURE_SHOTS/pause$i.png"
  peak+=("$(hwm_mb)")
  stop
  echo "run $i: attract ${att[-1]} MB (highest ${att_hi[-1]}, CPU ${att_cpu[-1]} %)," \
       "play ${ply[-1]} MB (highest ${ply_hi[-1]}, CPU ${ply_cpu[-1]} %), paused ${pau[-1]} MB (CPU ${pau_cpu[-1]} %)," \
       "full screen ${full[-1]} MB, back ${after[-1]} MB, peak ${peak[-1]} MB"
done
m() { printf '%s\n' "$@" | median; }
echo "median of $runs: attract $(m "${att[@]}") MB (highest $(m "${att_hi[@]}"), CPU $(m "${att_cpu[@]}") %)," \
     "play $(m "${ply[@]}") MB (highest $(m "${ply_hi[@]}"), CPU $(m "${ply_cpu[@]}") %)," \
     "paused $(m "${pau[@]}") MB (CPU $(m "${pau_cpu[@]}") %), full screen $(m "${full[@]}") MB," \
     "back $(m "${after[@]}") MB, peak $(m "${peak[@]}") MB"
