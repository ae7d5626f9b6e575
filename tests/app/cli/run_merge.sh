#!/bin/sh
# Runs "tamblero-cli merge" on scratch copies of the data files, in a home and state folder of
# its own, and checks its standard output, exit status and what it left on disk.
#   run_merge.sh CASE CLI DATADIR GOLDENDIR INPUTDIR
# CASE: refused, itself, cleanup, two, dry_run, dry_no_home (skipped, 77, where it cannot run
# as an unknown user), nothing_new, conflicts.
# With TAMBLERO_UPDATE_GOLDEN=1 the standard output is written to the golden file instead.
set -u
case=$1 cli=$2 data=$3 golden=$4 input=$5
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_STATE_HOME="$work/home/state" XDG_DATA_HOME="$work/home/data"
export XDG_CONFIG_HOME="$work/home/config"
kept=$XDG_STATE_HOME/tamblero/merged
mkdir -p "$HOME" "$work/d" "$XDG_STATE_HOME/tamblero"
# One fixed device, as run_import.sh's, so that the ids the import makes match its golden export.
echo 00000000000000a1 >"$XDG_STATE_HOME/tamblero/device"
cd "$work" || exit 1 # paths in the messages are relative, so the same on every run
cp "$data/basic.dat" d/QZData.dat

failed=0
fail() { echo "$case: $1"; failed=1; }
# The folder's names and checksums; with "lock" the lock file counts too.
snapshot() { (cd d && ls -A | { [ "${1:-}" = lock ] && cat || grep -v '\.lock$'; } |
    while IFS= read -r f; do echo "$f $(cksum <"$f")"; done); }
run() {
    ${runner:-} "$cli" "$@" </dev/null >out 2>err
    status=$?
}
expect() { # STATUS [GOLDEN]
    [ "$status" = "$1" ] || fail "exit status $status, expected $1"
    if [ -n "${2:-}" ]; then
        sed "s#$work#WORK#g" out >out.seen
        [ "${TAMBLERO_UPDATE_GOLDEN:-}" = 1 ] && cp out.seen "$golden/$2"
        diff -u "$golden/$2" out.seen || fail "standard output differs from $2"
    fi
    [ "$1" = 0 ] && [ -s err ] && fail "a success wrote to standard error: $(cat err)"
    [ "$1" != 0 ] && [ ! -s err ] && fail "a failure gave no reason"
}
said() { grep -qF -- "$1" err || fail "standard error lacks '$1': $(cat err)"; }
# basic.dat with more.csv imported: four expenses, a group, an article and an account more.
theirs() { cp "$data/basic.dat" "$1" && "$cli" import "$input/more.csv" --file "$1" >/dev/null; }
# The merged file holds what the import alone would give: nothing lost, nothing twice.
merged_as_import() {
    "$cli" export --file d/QZData.dat >export || fail "the merged file cannot be exported"
    diff -u "$golden/import_into_basic_export.out" export || fail "the merged file differs"
    cmp -s "$data/basic.dat" d/QZData.dat.bak || fail "no .bak of the file before the merge"
}

case $case in
refused)
    # Each copy that cannot be merged is named with its reason; the folder is as it was.
    printf 'date,category,amount\n' >notes.txt
    for other in "$data/damaged.dat:damaged: " \
        "$data/version3.dat:written by a later Tamblero (data file version 3)" \
        "notes.txt:not a Tamblero data file" "missing.dat:cannot be read: "; do
        file=${other%%:*} reason=${other#*:}
        snapshot lock >before
        for dry in --dry-run ""; do
            run merge "$file" --file d/QZData.dat $dry
            expect 1
            [ -s out ] && fail "$file: a refusal printed to standard output"
            said "tamblero-cli: $file: $reason"
            said "; nothing was merged"
            # A dry run takes no lock either; a merge leaves only the lock file behind.
            snapshot ${dry:+lock} | diff -u before - || fail "$file $dry: the folder changed"
            snapshot lock | grep -v '\.lock ' >before
        done
    done
    ;;
itself)
    snapshot >before
    run merge d/QZData.dat --file d/QZData.dat
    expect 0 merge_itself.out
    snapshot | diff -u before - || fail "the folder changed"
    ;;
cleanup)
    # A file kept past 30 days goes at the next run, even one that finds no copy; a newer stays.
    mkdir -p "$kept"
    : >"$kept/old.dat"
    : >"$kept/recent.dat"
    touch -d '31 days ago' "$kept/old.dat"
    touch -d '29 days ago' "$kept/recent.dat"
    run merge --conflicts --file d/QZData.dat
    expect 0 merge_no_copies.out
    [ -e "$kept/old.dat" ] && fail "a copy kept past 30 days is still there"
    [ -e "$kept/recent.dat" ] || fail "a copy kept 29 days is gone"
    ;;
two)
    theirs other.dat
    run merge other.dat --file d/QZData.dat
    expect 0 merge_two.out
    merged_as_import
    ;;
dry_run)
    theirs other.dat
    snapshot lock >before
    run merge other.dat --file d/QZData.dat --dry-run
    expect 0 merge_dry_run.out
    snapshot lock | diff -u before - || fail "a dry run changed the folder"
    ;;
dry_no_home)
    # A dry run moves no copy, so it needs no home to keep them in; the folder stays as it was.
    # No home at all takes a user the system does not know: root can be one, others skip.
    nobody=54321
    if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null || getent passwd $nobody >/dev/null
    then
        echo "$case: needs root and setpriv to run as a user without a home"
        exit 77
    fi
    theirs other.dat
    cp other.dat "d/QZData (conflicted copy 2026-12-09 112018).dat"
    chmod -R a+rwX "$work"
    snapshot lock >before
    (
        unset HOME XDG_STATE_HOME
        runner="setpriv --reuid=$nobody --regid=$nobody --clear-groups"
        run merge --conflicts --file d/QZData.dat --dry-run
        expect 0 merge_conflicts_dry_no_home.out
        exit "$failed"
    ) || failed=1
    snapshot lock | diff -u before - || fail "a dry run changed the folder"
    ;;
nothing_new)
    cp "$data/basic.dat" other.dat
    snapshot >before
    run merge other.dat --file d/QZData.dat
    expect 0 merge_nothing_new.out
    snapshot | diff -u before - || fail "a merge of nothing new changed the folder"
    ;;
conflicts)
    # One copy of each service (the same changes twice, and nothing new) and a damaged one,
    # which is named and left; a name already kept gets " (2)".
    theirs other.dat
    cp other.dat "d/QZData (conflicted copy 2026-12-09 112018).dat"
    cp other.dat d/QZData.sync-conflict-20261209-112018-E6MJUWF.dat
    cp "$data/basic.dat" "d/QZData (Anna's conflicted copy 2026-12-09).dat"
    cp "$data/damaged.dat" "d/QZData (Bob's conflicted copy 2026-12-09).dat"
    mkdir -p "$kept"
    echo earlier >"$kept/QZData (conflicted copy 2026-12-09 112018).dat"
    touch -d '1 hour ago' d/*
    run merge --conflicts --file d/QZData.dat
    expect 1 merge_conflicts.out
    said "/d/QZData (Bob's conflicted copy 2026-12-09).dat: damaged: "
    said "; not merged, left where it is"
    merged_as_import
    left=$(cd d && ls -A | grep -v '\.lock$' | tr '\n' '|')
    [ "$left" = "QZData (Bob's conflicted copy 2026-12-09).dat|QZData.dat|QZData.dat.bak|" ] ||
        fail "left beside the data file: $left"
    cmp -s other.dat "$kept/QZData.sync-conflict-20261209-112018-E6MJUWF.dat" ||
        fail "the Syncthing copy was not kept as it was"
    [ "$(cat "$kept/QZData (conflicted copy 2026-12-09 112018).dat")" = earlier ] ||
        fail "an earlier kept copy was replaced"
    [ -e "$kept/QZData (conflicted copy 2026-12-09 112018) (2).dat" ] ||
        fail "the second copy of one name was not kept beside the first"
    [ -n "$(find "$kept" -newer other.dat -name '*Anna*')" ] ||
        fail "a kept copy's time is not the time it was moved"
    ;;
*)
    echo "unknown case $case"
    exit 2
    ;;
esac
[ "$failed" = 0 ] || { echo "--- standard error:"; cat err; }
exit "$failed"
