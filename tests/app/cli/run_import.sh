#!/bin/sh
# Runs "tamblero-cli import CSV" on a scratch copy of a data file (or on none) and compares its
# standard output and exit status with a golden file. After a success the export of the result
# must equal EXPORT and the replaced file must be kept as ".bak"; after a failure the folder
# must be as it was, but for the lock file.
#   run_import.sh CLI CSV DATAFILE|- EXPECTED EXIT [EXPORT]
# With TAMBLERO_UPDATE_GOLDEN=1 the outputs are written to the golden files instead.
set -u
cli=$1 csv=$2 data=$3 expected=$4 status_expected=$5 export=${6:-}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/d"
[ "$data" = - ] || cp "$data" "$work/d/QZData.dat"
snapshot() { (cd "$work/d" && for f in $(ls -A | grep -v '\.lock$'); do echo "$f $(cksum <"$f")"; done); }
snapshot >"$work/before"
# The ids the import makes name this device: one fixed device, so that the export is the same
# on every run.
if [ -n "${XDG_STATE_HOME:-}" ]; then
    mkdir -p "$XDG_STATE_HOME/tamblero" && echo 00000000000000a1 >"$XDG_STATE_HOME/tamblero/device"
fi
"$cli" import "$csv" --file "$work/d/QZData.dat" </dev/null >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] && [ -n "$export" ] && "$cli" export --file "$work/d/QZData.dat" >"$work/export"
if [ "${TAMBLERO_UPDATE_GOLDEN:-}" = 1 ]; then
    cp "$work/out" "$expected"
    [ -n "$export" ] && [ -f "$work/export" ] && cp "$work/export" "$export"
fi

fail() { echo "$1"; failed=1; }
failed=0
[ "$status" = "$status_expected" ] || fail "exit status $status, expected $status_expected"
diff -u "$expected" "$work/out" || fail "standard output differs from $expected"
if [ "$status" = 0 ]; then
    [ -z "$export" ] || diff -u "$export" "$work/export" || fail "the export differs from $export"
    [ "$data" = - ] || cmp -s "$data" "$work/d/QZData.dat.bak" || fail "no .bak of the old file"
else
    [ -s "$work/err" ] || fail "a refusal gave no reason on standard error"
    snapshot | diff -u "$work/before" - || fail "a refused import changed the folder"
fi
[ "$failed" = 0 ] || { echo "--- standard error:"; cat "$work/err"; }
exit "$failed"
