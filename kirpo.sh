#!/usr/bin/env bash
# Sets the machine up, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")"
tools/ci/setup-debian.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKIRPO_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
exec build/release/kirpo
