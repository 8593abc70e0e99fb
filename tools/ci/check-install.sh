#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo, installs the build into a temporary
# prefix, and starts the installed game to see its window and an orderly close.
# Usage: check-install.sh SOURCE_DIR BUILD_DIR   (needs an X display, e.g. under xvfb-run)
set -euo pipefail
src=$1 build=$2
tmp=$(mktemp -d)
game=""
cleanup() {
  [ -n "$game" ] && kill -KILL "$game" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

desktop-file-validate "$src/packaging/kirpo.desktop"
appstreamcli validate --no-net "$src/packaging/kirpo.metainfo.xml"

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kirpo share/kirpo/kirpo_5-0-0.zip share/applications/kirpo.desktop \
         share/metainfo/example.kirpo_game.Kirpo.metainfo.xml share/man/man6/kirpo.6 \
         share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/kirpo.png; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
for size in 32 48 64 128 256; do
  [ "$(identify -format %wx%h "$prefix/share/icons/hicolor/${size}x${size}/apps/kirpo.png")" = "${size}x${size}" ] ||
    { echo "icon of the wrong size in ${size}x${size}"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/kirpo.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.kirpo_game.Kirpo.metainfo.xml"

[ -n "${DISPLAY:-}" ] || { echo "no X display: the installed game was not started"; exit 1; }
# Started from elsewhere, so the package can only come from the prefix.
cd "$tmp"
XDG_DATA_HOME=$tmp/data HOME=$tmp SDL_AUDIODRIVER=dummy "$prefix/bin/kirpo" >"$tmp/out.log" 2>&1 &
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
[ -f "$tmp/data/KIRPO/generatedfigures_0.txt" ] || { echo "the package was not unpacked"; exit 1; }
kill -TERM "$game"
code=0
wait "$game" || code=$?
game=""
[ "$code" -eq 0 ] || { echo "exit code $code"; cat "$tmp/out.log"; exit 1; }
grep -q $'^Level=0\r$' "$tmp/data/KIRPO/kirpo.ini" || { echo "Level=0 not stored"; exit 1; }
echo "installed game ran and closed in order"
