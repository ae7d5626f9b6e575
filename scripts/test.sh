#!/usr/bin/env bash
# Set-up, build and run every test: once normally, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a minute of fuzzing the data-file reader.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== build and test =="
bash scripts/build.sh build -DTAMBLERO_WERROR=ON
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
bash scripts/build.sh build-asan -DTAMBLERO_SANITIZE=ON -DTAMBLERO_WERROR=ON -DTAMBLERO_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900

echo "== fuzz the data-file reader for a minute =="
bash scripts/fuzz.sh 60
