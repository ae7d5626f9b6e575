#!/bin/sh
# Runs tamblero-cli once and compares its standard output and exit status with a golden
# file; also checks that the data files were left exactly as they were.
#
# run_golden.sh [--watch DIR] [--beside DATAFILE [--with NAME]...] CLI EXPECTED EXIT [ARGS...]
#   --watch DIR        the directory of the data files, which must not change
#   --beside DATAFILE  run a copy of CLI in a fresh directory with DATAFILE beside it
#                      as QZData.dat, the file the program reads without --file
#   --with NAME        one more copy of DATAFILE there, named NAME
# With TAMBLERO_UPDATE_GOLDEN=1 the output is written to EXPECTED instead.
set -u

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/app" "$work/with"

watch=
beside=
while [ $# -gt 0 ]; do
    case $1 in
    --watch) watch=$2; shift 2 ;;
    --beside) beside=$2; shift 2 ;;
    --with) : >"$work/with/$2"; shift 2 ;;
    *) break ;;
    esac
done
cli=$1
expected=$2
expected_status=$3
shift 3

if [ -n "$beside" ]; then
    cp "$cli" "$work/app/tamblero-cli"
    cp "$beside" "$work/app/QZData.dat"
    for name in "$work/with"/*; do
        [ -e "$name" ] && cp "$beside" "$work/app/${name##*/}"
    done
    cli=$work/app/tamblero-cli
    watch=$work/app
fi

# Names, sizes, modification times and checksums: a rewrite with the same bytes, a
# backup or a lock file left behind all show.
snapshot() {
    (cd "$1" && find . | LC_ALL=C sort | while IFS= read -r f; do
        if [ -f "$f" ]; then
            printf '%s %s %s\n' "$(stat -c '%n %s %Y' "$f")" "$(cksum <"$f")"
        else
            printf '%s\n' "$f"
        fi
    done)
}

[ -n "$watch" ] && snapshot "$watch" >"$work/before"
# No display and nothing on standard input: the program must need neither.
env -u DISPLAY -u WAYLAND_DISPLAY "$cli" "$@" </dev/null >"$work/out" 2>"$work/err"
status=$?

if [ "${TAMBLERO_UPDATE_GOLDEN:-}" = 1 ]; then
    cp "$work/out" "$expected"
fi

failed=0
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    failed=1
fi
if ! cmp -s "$work/out" "$expected"; then
    echo "standard output differs from $expected:"
    diff -u "$expected" "$work/out" | head -60
    failed=1
fi
if [ "$status" = 0 ] && [ -s "$work/err" ]; then
    echo "a successful run wrote to standard error"
    failed=1
fi
if [ "$status" != 0 ] && [ ! -s "$work/err" ]; then
    echo "a failed run gave no reason on standard error"
    failed=1
fi
if [ -n "$watch" ]; then
    snapshot "$watch" >"$work/after"
    if ! cmp -s "$work/before" "$work/after"; then
        echo "the data directory changed:"
        diff -u "$work/before" "$work/after"
        failed=1
    fi
fi
if [ "$failed" != 0 ]; then
    echo "--- standard error:"
    cat "$work/err"
fi
exit "$failed"
