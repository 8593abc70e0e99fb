#!/usr/bin/env bash
# Installs what Kirpo needs to build, run and test on Debian 12, and nothing that is already there.
# Usage: setup-debian.sh [package]   (package: also what building and checking the Debian package needs)
set -euo pipefail
# xfonts-base: SDL's message boxes (the kill question, error messages) need an X font; without one
# they fail to open under Xvfb.
packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev
  libzip-dev libpng-dev libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils imagemagick xfonts-base clang
  libclang-rt-14-dev python3
  openbox desktop-file-utils appstream gettext po4a)
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev debhelper lintian)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
