#!/usr/bin/env bash
# Set-up, check the formatting, build with Clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and run every test there, then fuzz the data-file reader for half a
# minute with the libFuzzer target of that build. One build instead of a plain one, a sanitized
# one and a fuzzing one keeps the run within twelve minutes on 2 cores; the plain build
# (`cmake --preset default`, the one the program is started from) runs the same tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
started=$SECONDS
phase() { echo "== $1 (at $((SECONDS - started)) s) =="; }

phase "formatting"
bash scripts/format.sh --check

phase "build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

phase "fuzz the data-file reader for half a minute"
bash scripts/fuzz.sh 30
phase "done"
