#!/bin/sh
# Runs "tamblero-cli due --record" on a scratch copy of schedules.dat and checks what it prints,
# that a second run finds nothing due, and what the data file then holds.
#   run_due.sh CLI DATADIR GOLDENDIR
# With TAMBLERO_UPDATE_GOLDEN=1 the standard output is written to the golden files instead.
set -u
cli=$1 data=$2 golden=$3
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1 # paths in the messages are relative, so the same on every run
mkdir d
cp "$data/schedules.dat" d/QZData.dat

failed=0
fail() { echo "due: $1"; failed=1; }
check() { # GOLDEN
    [ "${TAMBLERO_UPDATE_GOLDEN:-}" = 1 ] && cp out "$golden/$1"
    diff -u "$golden/$1" out || fail "standard output differs from $1"
    [ -s err ] && fail "a success wrote to standard error: $(cat err)"
}
run() {
    "$cli" "$@" --file d/QZData.dat </dev/null >out 2>err
    status=$?
    [ "$status" = 0 ] || fail "$1: exit status $status: $(cat err)"
}

run due --record --date 2026-12-10
check due_record.out
[ -f d/QZData.dat.bak ] || fail "no backup kept"
run due --record --date 2026-12-10
check due_record_again.out
run due --date 2026-12-10
check due_after_record.out
run export
check due_record_export.out
exit $failed
