#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo, installs the build into a temporary
# prefix, and starts the installed game to see its window and an orderly close.
# Usage: check-install.sh SOURCE_DIR BUILD_DIR   (needs an X display, e.g. under xvfb-run)
set -euo pipefail
src=$1 build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

desktop-file-validate "$src/packaging/kirpo.desktop"
appstreamcli validate --no-net "$src/packaging/kirpo.metainfo.xml"

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kirpo share/kirpo/kirpo_5-0-0.zip share/applications/kirpo.desktop \
         share/metainfo/example.kirpo_game.Kirpo.metainfo.xml share/man/man6/kirpo.6 share/man/de/man6/kirpo.6 \
         share/locale/de/LC_MESSAGES/kirpo.mo \
         share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/kirpo.png; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
for size in 32 48 64 128 256; do
  [ "$(identify -format %wx%h "$prefix/share/icons/hicolor/${size}x${size}/apps/kirpo.png")" = "${size}x${size}" ] ||
    { echo "icon of the wrong size in ${size}x${size}"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/kirpo.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.kirpo_game.Kirpo.metainfo.xml"
# The installed desktop entry and metainfo carry the German texts merged from po/de.po.
grep -q '^Comment\[de\]=' "$prefix/share/applications/kirpo.desktop" || { echo "desktop entry not translated"; exit 1; }
grep -q '<summary xml:lang="de">' "$prefix/share/metainfo/example.kirpo_game.Kirpo.metainfo.xml" ||
  { echo "metainfo not translated"; exit 1; }

mkdir "$tmp/run"
"$(dirname "$0")/run-installed.sh" "$prefix/bin/kirpo" "$tmp/run"
