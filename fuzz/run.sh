#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (ASan + UBSan) in build/fuzz and runs each one.
#   fuzz/run.sh            every harness for 20 s (what ./test.sh does)
#   fuzz/run.sh 3600       every harness for an hour
#   fuzz/run.sh 600 level  only the named harnesses
# First every kept reproducer in fuzz/regressions/<harness>/ is run once; then the harness fuzzes
# from the committed seeds (fuzz/corpus/<harness>/) into a working corpus in build/fuzz/corpus/.
# A crash leaves its input in build/fuzz/crashes/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(level settings image_store movies recording package hiscore)
build=build/fuzz
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIRPO_FUZZ=ON -DKIRPO_TESTS=OFF >/dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/ci/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/crashes"
failed=0
for h in "${harnesses[@]}"; do
  exe="$build/fuzz/fuzz_$h"
  if compgen -G "fuzz/regressions/$h/*" >/dev/null; then
    "$exe" fuzz/regressions/$h/* >"$build/regressions-$h.log" 2>&1 || { echo "fuzz $h: a kept reproducer fails again"; failed=1; }
  fi
  work="$build/corpus/$h"
  mkdir -p "$work"
  max_len=65536
  [ "$h" = recording ] && max_len=8192
  log="$build/fuzz-$h.log"
  if "$exe" "$work" "fuzz/corpus/$h" -dict="fuzz/$h.dict" -max_total_time="$seconds" -max_len=$max_len \
      -rss_limit_mb=3072 -timeout=20 -print_final_stats=1 -artifact_prefix="$build/crashes/$h-" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n1 || true)
    echo "fuzz $h: $runs executions, $cov, no crash"
  else
    echo "fuzz $h: CRASH, see $log and $build/crashes/"
    failed=1
  fi
done
exit $failed
