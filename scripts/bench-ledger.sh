#!/usr/bin/env bash
# Times a monthly per-account report of one year on the same data in tamblero-cli,
# ledger and hledger, and prints each one's time, its ratio to tamblero-cli and its
# peak resident memory. Installs Debian's ledger and hledger when missing.
#   bench-ledger.sh BUILD_DIR DATAFILE...
#   BENCH_CLI_RUNS=5     runs of tamblero-cli (the best counts)
#   BENCH_LEDGER_RUNS=1  runs of ledger and hledger (the best counts)
#   BENCH_HLEDGER_MAX=100000  larger files leave hledger out: at 1,000,000 entries it took
#                        eleven minutes and 7 GB here. 0 runs it on every file.
set -euo pipefail
if (($# < 2)); then
  echo "usage: $0 BUILD_DIR DATAFILE..." >&2
  exit 2
fi
build=$1
shift
cli_runs=${BENCH_CLI_RUNS:-5}
ledger_runs=${BENCH_LEDGER_RUNS:-1}
hledger_max=${BENCH_HLEDGER_MAX:-100000}

bash "$(dirname "$0")/setup.sh" ledger hledger time

work=$(mktemp -d "${TMPDIR:-/tmp}/tamblero-ledger.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Best wall time in seconds of $1 runs of the command, and the peak resident memory
# in KB of the last run: "SECONDS KB".
measure() {
  local runs=$1 best="" peak=0 start end t
  shift
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/peak" "$@" >"$work/out" 2>"$work/err" || {
      echo "failed: $*" >&2
      cat "$work/err" >&2
      return 1
    }
    end=$(date +%s%N)
    t=$(((end - start) / 1000))
    if [ -z "$best" ] || ((t < best)); then best=$t; fi
    peak=$(tail -n 1 "$work/peak")
  done
  printf '%d.%06d %s\n' $((best / 1000000)) $((best % 1000000)) "$peak"
}

line() { # name seconds kb reference-seconds
  awk -v n="$1" -v s="$2" -v kb="$3" -v r="$4" 'BEGIN {
    printf "  %-40s %9.3f s   %7.1f x tamblero-cli   peak %8.1f MB\n", n, s, s / r, kb / 1024 }'
}

for f in "$@"; do
  journal="$work/$(basename "$f").journal"
  "$build/tamblero-cli" export --format ledger --file "$f" >"$journal"
  # The middle year of the data; the journal opens with its account declarations.
  first=$(grep -m 1 -E '^[0-9]{4}-' "$journal" | cut -c1-4)
  last=$(grep -E '^[0-9]{4}-' "$journal" | tail -n 1 | cut -c1-4)
  year=$(((10#$first + 10#$last) / 2))
  entries=$(grep -c '^[0-9]' "$journal" || true)
  echo "$(basename "$f"): $entries entries, monthly totals per account of $year" \
    "(best of $cli_runs runs of tamblero-cli, $ledger_runs of ledger and hledger)"

  read -r cli cli_kb < <(measure "$cli_runs" "$build/tamblero-cli" report --period year \
    --date "$year-06-15" --file "$f" --format csv)
  line "tamblero-cli report --period year" "$cli" "$cli_kb" "$cli"
  # ledger's balance has no monthly columns; its monthly register gives the same totals.
  read -r led led_kb < <(measure "$ledger_runs" ledger -f "$journal" register --monthly \
    -p "$year" '^Expenses')
  line "ledger register --monthly" "$led" "$led_kb" "$cli"
  if ((hledger_max == 0 || entries <= hledger_max)); then
    read -r hled hled_kb < <(measure "$ledger_runs" hledger -f "$journal" balance -M --tree \
      -p "$year" '^Expenses')
    line "hledger balance -M" "$hled" "$hled_kb" "$cli"
  else
    echo "  hledger balance -M                        left out above $hledger_max entries" \
      "(BENCH_HLEDGER_MAX=0 runs it)"
  fi
done
