#!/usr/bin/env bash
# Fuzzes the data-file reader: builds the libFuzzer target in the sanitizers' build (Clang,
# build-asan; nothing to do when scripts/test.sh built it already), writes the seed corpus, runs for the given number of seconds (default 60) and prints
# executions, coverage and findings. Exits non-zero when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-asan # the asan preset's folder (CMakePresets.json)

cmake --preset asan >/dev/null
cmake --build --preset fuzz -j2 >"$dir/fuzz-build.log" 2>&1 || { cat "$dir/fuzz-build.log"; exit 1; }

# The corpus the fuzzer grows is shared between runs; each run has its own seeds, log
# and findings, so a short run never disturbs a long one.
run="$dir/fuzz-runs/$(date +%Y%m%d-%H%M%S)-$$"
mkdir -p "$run/seeds" "$run/findings" "$dir/corpus"
"$dir/tests/fuzz/tamblero_fuzz_seeds" "$run/seeds"

# A slow input (over a second) or one that allocates beyond its size is a finding too.
log="$run/fuzz.log"
set +e
ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16:malloc_context_size=20 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$dir/tests/fuzz/tamblero_datafile_fuzz" \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=256 -malloc_limit_mb=64 \
  -max_len=16384 -use_value_profile=1 -print_final_stats=1 \
  -dict=tests/fuzz/datafile.dict -artifact_prefix="$run/findings/" \
  "$dir/corpus" "$run/seeds" tests/fuzz/regressions >"$log" 2>&1
status=$?
set -e

stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
last=$(grep -E '^#[0-9]+' "$log" | grep 'cov:' | tail -1 || true)
findings=$(find "$run/findings" -type f | sort)
echo "== data-file fuzzing, ${seconds}s =="
echo "executions:  $(stat number_of_executed_units)"
echo "exec/s:      $(stat average_exec_per_sec)"
echo "coverage:    $(sed -n 's/.*\(cov: [0-9]* ft: [0-9]*\).*/\1/p' <<<"$last")"
echo "corpus:      $(sed -n 's/.*corp: \([^ ]*\).*/\1/p' <<<"$last") ($(find "$dir/corpus" -type f | wc -l) units kept in $dir/corpus)"
echo "new units:   $(stat new_units_added)"
echo "peak rss:    $(stat peak_rss_mb) MB"
echo "findings:    $(grep -c . <<<"$findings" || true)"
echo "log:         $log"
if [[ -n $findings || $status -ne 0 ]]; then
  echo "$findings"
  grep -E 'ERROR|SUMMARY|data file oracle|deadly signal|leak' "$log" | head -20 || true
  echo "libFuzzer exit status $status; full log in $log" >&2
  exit 1
fi
