#!/usr/bin/env bash
# Builds the benchmark tools in Release, generates data files of 10,000, 100,000 and
# 1,000,000 entries and prints the figures of each; then compares tamblero-cli with
# ledger and hledger on the same data. Times are the best of several runs; on a busy
# machine they vary, the ratios less so.
#   BENCH_SIZES="10000 100000 1000000"  entry counts to generate
#   BENCH_YEARS=20                      years the entries spread over
#   BENCH_REPS=7                        runs per figure (the best counts)
#   BENCH_LEDGER=1                      0 leaves out the ledger comparison
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=${BENCH_SIZES:-10000 100000 1000000}
years=${BENCH_YEARS:-20}
reps=${BENCH_REPS:-7}
build=build-bench

bash scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAMBLERO_BENCH=ON >/dev/null
targets=(generator bench_core)
# Whole, not piped into grep -q: an early exit of grep would fail the pipe.
available=$(cmake --build "$build" --target help)
for t in tamblero-cli bench_gui; do
  if grep -q " $t\$" <<<"$available"; then
    targets+=("$t")
  fi
done
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

data=$(mktemp -d "${TMPDIR:-/tmp}/tamblero-bench.XXXXXX")
trap 'rm -rf "$data"' EXIT

files=()
for n in $sizes; do
  f="$data/QZData-$n.dat"
  "$build/bench/generator" "$n" "$years" "$f"
  files+=("$f")
done
for f in "${files[@]}"; do
  echo
  "$build/bench/bench_core" "$f" "$reps"
  if [ -x "$build/bench/bench_gui" ]; then
    QT_QPA_PLATFORM=offscreen "$build/bench/bench_gui" "$f" "$reps"
  fi
  # The same document with identities, derived (an earlier file saved here) and made on a
  # device day by day, loaded in turns with the file without them.
  n=$(basename "$f" .dat); n=${n#QZData-}
  "$build/bench/generator" "$n" "$years" "$f.derived" --ids derived >/dev/null
  "$build/bench/generator" "$n" "$years" "$f.made" --ids made >/dev/null
  "$build/bench/bench_core" --compare-loads "$reps" "$f" "$f.derived" "$f.made"
done

if [ "${BENCH_LEDGER:-1}" != 0 ] && [ -x "$build/tamblero-cli" ]; then
  echo
  bash scripts/bench-ledger.sh "$build" "${files[@]}"
fi
