#!/usr/bin/env bash
# Sets the machine up, builds everything with AddressSanitizer and UBSan, and runs all tests
# (unit, levels and end-to-end; the end-to-end tests run the real executable under Xvfb), then
# each fuzz harness for 20 s (clang, build/fuzz) and the game killed while it writes, on a short
# setting. Arguments go to ctest; KIRPO_QUICK=1 skips the fuzzing and the kills. The Debian
# package's test is left out.
set -euo pipefail
cd "$(dirname "$0")"
tools/ci/setup-debian.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKIRPO_SANITIZE=ON >/dev/null
cmake --build build/test -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tools/ci/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The Debian package's test (label package) takes minutes: run it on request (see README.md).
(cd build/test && xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j2 -LE package "$@")
if [ "${KIRPO_QUICK:-0}" != 1 ]; then
  fuzz/run.sh 20
  xvfb-run -a -s "-screen 0 1280x800x24 -noreset" tools/crash/kill_during_writes.py --kills 10
fi
