#!/usr/bin/env bash
# Set-up, check the formatting, build and run every test: once normally, once under
# AddressSanitizer and UndefinedBehaviorSanitizer (all but the real-Syncthing ones), then half
# a minute of fuzzing the data-file reader. The builds are the presets of CMakePresets.json:
# default (build/), asan (build-asan/), fuzz (build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
started=$SECONDS
phase() { echo "== $1 (at $((SECONDS - started)) s) =="; }

phase "formatting"
bash scripts/format.sh --check

phase "build and test"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

phase "build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
# The tests with real Syncthing instances mostly wait for the network: they ran above, and
# every path of the program they take runs here in the other tests.
ctest --preset asan -j"$jobs" -LE sync

phase "fuzz the data-file reader for half a minute"
bash scripts/fuzz.sh 30
phase "done"
