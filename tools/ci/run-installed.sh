#!/usr/bin/env bash
# Starts an installed game the way a player would and checks that it shows its window, unpacks its
# data package into a fresh data folder and closes in order on SIGTERM.
# Usage: run-installed.sh EXECUTABLE WORK_DIR   (needs an X display; WORK_DIR: an empty temporary folder)
set -euo pipefail
exe=$1 tmp=$2
[ -n "${DISPLAY:-}" ] || { echo "no X display: the installed game was not started"; exit 1; }
game=""
trap '[ -n "$game" ] && kill -KILL "$game" 2>/dev/null || true' EXIT
# Started from elsewhere, so the package can only come from the installation.
cd "$tmp"
XDG_DATA_HOME=$tmp/data HOME=$tmp SDL_AUDIODRIVER=dummy "$exe" >"$tmp/out.log" 2>&1 &
game=$!
window=""
for _ in $(seq 150); do
  window=$(xdotool search --pid "$game" --name "Kirpo written by Vambrecht" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  kill -0 "$game" 2>/dev/null || break
  sleep 0.2
done
[ -n "$window" ] || { echo "the installed game shows no window"; cat "$tmp/out.log"; exit 1; }
echo "installed game's window: $(xdotool getwindowgeometry "$window" | tr '\n' ' ')"
sleep 3
[ -f "$tmp/data/KIRPO/generatedfigures_0.txt" ] || { echo "the package was not unpacked"; cat "$tmp/out.log"; exit 1; }
kill -TERM "$game"
code=0
wait "$game" || code=$?
game=""
[ "$code" -eq 0 ] || { echo "exit code $code"; cat "$tmp/out.log"; exit 1; }
grep -q $'^Level=0\r$' "$tmp/data/KIRPO/kirpo.ini" || { echo "Level=0 not stored"; exit 1; }
echo "installed game ran and closed in order"
