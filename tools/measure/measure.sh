#!/usr/bin/env bash
# Start-up time, CPU share and peak memory of the real game, three runs each, medians.
# Usage: xvfb-run -a -s "-screen 0 1280x800x24 -noreset" tools/measure/measure.sh path/to/kirpo [runs] [seconds]
#   KIRPO_MEASURE_LEVEL=N   the level played in the play and pause runs (default 56: the most monsters)
#   KIRPO_MEASURE_DIFFICULTY=D  0 Easy, 1 Hard, 2 Crazy (default 2: every monster of the level moves)
# Prints, per run and as medians:
#   first start   exec to the mapped window with an empty data folder (unpacking, building the figure store)
#   warm start    exec to the mapped window with the data unpacked and the store built
#   splash              CPU share over 6 s of the splash picture, which stands still for its first 10 s
#   attract/play/pause  CPU share of the game process (% of one core) over the window of seconds,
#                       and its threads' wake-ups a second (voluntary context switches)
#   peak RSS      VmHWM of the game process at the end of each run
set -euo pipefail
exe=$(readlink -f "${1:?path to kirpo}")
runs=${2:-3}
secs=${3:-30}
level=${KIRPO_MEASURE_LEVEL:-56}
difficulty=${KIRPO_MEASURE_DIFFICULTY:-2}
work=$(mktemp -d)
pid='' spy=''
stop() { # ends only the processes this script started, by their id
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  [ -n "$spy" ] && kill "$spy" 2>/dev/null && wait "$spy" 2>/dev/null || true
  pid='' spy=''
}
trap 'stop; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy

median() { sort -n | awk '{a[NR]=$1} END{if (NR) print a[int((NR+1)/2)]; else print "-"}'; }

# Starts the game on data folder $1 and sets ms to the ms from exec to the first MapNotify of a top-level window.
# xev watches the root window's children, so the moment is the X server's, not a poll's.
start_timed() {
  local fifo=$work/map.fifo line t0 t1=
  rm -f "$fifo"; mkfifo "$fifo"
  stdbuf -oL xev -root -event substructure >"$fifo" 2>/dev/null & spy=$!
  exec 3<"$fifo"
  sleep 0.3  # xev has selected its events before the game starts
  t0=$(date +%s%N)
  XDG_DATA_HOME=$1 "$exe" >/dev/null 2>&1 & pid=$!
  while IFS= read -r -t 20 line <&3; do
    case $line in MapNotify*) t1=$(date +%s%N); break ;; esac
  done
  exec 3<&-
  kill "$spy" 2>/dev/null; wait "$spy" 2>/dev/null || true; spy=''
  [ -n "${t1:-}" ] || { echo "no window mapped" >&2; exit 1; }
  ms=$(((t1 - t0) / 1000000))
}

# CPU time (ns) and voluntary context switches (wake-ups) summed over the game's threads.
. "$(dirname "$0")/proc.sh"
cpu_share() { # percent of one core used by $pid over $secs seconds (two decimals), and wake-ups a second
  local a b wa wb
  a=$(cpu_ns); wa=$(wakeups); sleep "$secs"; b=$(cpu_ns); wb=$(wakeups)
  awk -v d=$((b - a)) -v w=$((wb - wa)) -v s="$secs" 'BEGIN{printf "%.2f %d\n", d / (s * 1e7), w / s}'
}
peak_rss() { awk '/VmHWM/{printf "%d\n", $2 / 1024}' "/proc/$pid/status"; }

store_game() { # a stored game that the next start resumes straight into play
  printf 'Level=%s\nStartLevel=%s\nRunner=3\nScore=0\nStartMode=2\nDifficulty=%s\n' "$level" "$level" "$difficulty" \
    >"$1/KIRPO/kirpo.ini"
}

declare -a first warm still attract play pause rss still_wake attract_wake play_wake pause_wake
for i in $(seq "$runs"); do
  data=$work/data$i
  mkdir -p "$data"
  start_timed "$data"; first+=("$ms")
  sleep 3; stop
  start_timed "$data"; warm+=("$ms")
  sleep 3  # faded in: the splash stands still until 10 s
  secs_all=$secs; secs=6
  set -- $(cpu_share); still+=("$1"); still_wake+=("$2")
  secs=$secs_all
  sleep 3  # past the splash, into the attract mode
  set -- $(cpu_share); attract+=("$1"); attract_wake+=("$2")
  r1=$(peak_rss); stop

  store_game "$data"
  start_timed "$data"
  sleep 4
  w=$(xdotool search --name 'Kirpo' | head -n1)
  xdotool windowfocus --sync "$w" 2>/dev/null || true
  # Scripted play: the runner walks up and down while the level's monsters move.
  ( while kill -0 "$pid" 2>/dev/null; do
      for k in Left Up Right Down; do xdotool keydown --window "$w" "$k"; sleep 0.7; xdotool keyup --window "$w" "$k"; done
    done ) & keys=$!
  set -- $(cpu_share); play+=("$1"); play_wake+=("$2")
  kill "$keys" 2>/dev/null; wait "$keys" 2>/dev/null || true
  for k in Left Up Right Down; do xdotool keyup --window "$w" "$k"; done  # none left held by the kill
  xdotool key --window "$w" F5
  sleep 1
  set -- $(cpu_share); pause+=("$1"); pause_wake+=("$2")
  r2=$(peak_rss); stop
  rss+=("$((r1 > r2 ? r1 : r2))")
  echo "run $i: first start ${first[-1]} ms, warm start ${warm[-1]} ms, splash ${still[-1]} %, attract ${attract[-1]} %," \
       "play ${play[-1]} %, pause ${pause[-1]} %, peak RSS ${rss[-1]} MB;" \
       "wake-ups a second: splash ${still_wake[-1]}, attract ${attract_wake[-1]}, play ${play_wake[-1]}, pause ${pause_wake[-1]}"
done
echo "median of $runs: first start $(printf '%s\n' "${first[@]}" | median) ms," \
     "warm start $(printf '%s\n' "${warm[@]}" | median) ms," \
     "splash $(printf '%s\n' "${still[@]}" | median) %, attract $(printf '%s\n' "${attract[@]}" | median) %, play (level $level) $(printf '%s\n' "${play[@]}" | median) %," \
     "pause $(printf '%s\n' "${pause[@]}" | median) %, peak RSS $(printf '%s\n' "${rss[@]}" | median) MB;" \
     "wake-ups a second: splash $(printf '%s\n' "${still_wake[@]}" | median), attract $(printf '%s\n' "${attract_wake[@]}" | median)," \
     "play $(printf '%s\n' "${play_wake[@]}" | median), pause $(printf '%s\n' "${pause_wake[@]}" | median)"
