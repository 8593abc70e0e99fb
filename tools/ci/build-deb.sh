#!/usr/bin/env bash
# Builds the Debian package offline from a copy of the source tree, checks it with lintian (any
# error or warning fails), installs it (dpkg -i as root, unless a kirpo package is installed
# already; otherwise unpacked with dpkg-deb -x into a temporary root), starts the installed game
# and sees its window and its data unpacked, and removes what it installed.
# Usage: build-deb.sh SOURCE_DIR [OUT_DIR]   (needs an X display, e.g. under xvfb-run;
#        OUT_DIR keeps the built .deb files)
set -euo pipefail
src=$(cd "$1" && pwd)
out=${2:-}
tmp=$(mktemp -d)
installed=""
cleanup() {
  if [ -n "$installed" ]; then dpkg -r kirpo >/dev/null || echo "could not remove the kirpo package"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
"$src/tools/ci/setup-debian.sh" package

# A copy of the tracked and new files, so neither build folders nor the build's own output land
# in or come from the developer's tree.
tree=$tmp/kirpo-5.0.0
mkdir "$tree"
if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$src" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done | xargs -0 cp -P --parents -t "$tree")
else
  tar -C "$src" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$tree" -xf -
fi
echo "building the package in $tree"
start=$(date +%s)
if ! (cd "$tree" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc -b) >"$tmp/build.log" 2>&1; then
  tail -n 40 "$tmp/build.log"; echo "dpkg-buildpackage failed (whole log above in part)"; exit 1
fi
echo "built in $(($(date +%s) - start)) s"
deb=$(ls "$tmp"/kirpo_*.deb)
changes=$(ls "$tmp"/kirpo_*.changes)
[ -z "$out" ] || { mkdir -p "$out" && cp "$tmp"/*.deb "$out"/; }

echo "lintian:"
code=0
lintian --display-info --fail-on error,warning "$changes" >"$tmp/lintian.log" 2>&1 || code=$?
grep -v "running with root privileges" "$tmp/lintian.log" || true
[ "$code" -eq 0 ] || { echo "lintian reports errors or warnings, or failed (exit code $code)"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/files"
for f in /usr/games/kirpo /usr/share/games/kirpo/kirpo_5-0-0.zip /usr/share/applications/kirpo.desktop \
         /usr/share/metainfo/example.kirpo_game.Kirpo.metainfo.xml /usr/share/man/man6/kirpo.6.gz \
         /usr/share/man/de/man6/kirpo.6.gz /usr/share/locale/de/LC_MESSAGES/kirpo.mo \
         /usr/share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/kirpo.png \
         /usr/share/doc/kirpo/copyright; do
  grep -qxF "$f" "$tmp/files" || { echo "not in the package: $f"; exit 1; }
done

if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W -f='${Status}' kirpo 2>/dev/null | grep -q "ok installed"; then
  installed=yes
  dpkg -i "$deb"
  root=""
else
  root=$tmp/root
  dpkg-deb -x "$deb" "$root"
fi
desktop-file-validate "$root/usr/share/applications/kirpo.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.kirpo_game.Kirpo.metainfo.xml"
mkdir "$tmp/run"
"$src/tools/ci/run-installed.sh" "$root/usr/games/kirpo" "$tmp/run"
if [ -n "$installed" ]; then
  dpkg -r kirpo
  installed=""
  [ ! -e /usr/games/kirpo ] || { echo "/usr/games/kirpo is left after dpkg -r"; exit 1; }
fi
echo "the Debian package builds, passes lintian, installs and runs"
