#!/usr/bin/env bash
# Expenses recorded at once on two devices that the real Syncthing keeps in step all end up in
# both data files, each once, after one merge --conflicts.
# When each device records before it has seen the other's file, Syncthing keeps one device's
# file and leaves the other's beside it as a conflict copy, so the data file alone holds only
# half of what was recorded. `tamblero-cli merge --conflicts` on one device brings the copy's
# expenses in and takes the copy away, and after the next sync both devices hold every
# expense exactly once and no conflict copy.
#
# The two devices are tests/support/syncthing.sh's; Syncthing scans only when asked here.
#
# sync-two-devices.sh TAMBLERO_CLI
# Exits 77 (skipped) without syncthing or curl. Each step prints its name; a failure names
# its step.
set -Eeuo pipefail
cli=$1
folder_options='rescanIntervalS="3600" fsWatcherEnabled="false"'
source "$(dirname "${BASH_SOURCE[0]}")/../../support/syncthing.sh"

# tamblero-cli as the user of one device runs it, in that device's synced folder.
cli_on() {
    local device=$1
    shift
    on "$device" "$cli" "$@" </dev/null
}
# Every expense of a data file, one a line, sorted: the same multiset is the same expenses.
# The last column, the expense's identity, is left out: the reference file made here has ids
# of its own. The test's names, notes and accounts hold no comma.
expenses() { cli_on "$1" export --file "$2" | tail -n +2 | sed 's/,[^,]*$//' | LC_ALL=C sort; }
conflict_on_either() { [ -n "$(conflict_copies a)$(conflict_copies b)" ] && settled; }

step "set up two Syncthing devices"
st_setup

step "start both Syncthing instances and connect them"
st_start

step "a data file with one expense, synced to both devices"
cat >"$work/start.csv" <<EOF
date,category,amount,account,note
2026-11-30,Еда / Хлеб,50,,начало
EOF
cli_on a import "$work/start.csv" --file "$(data_of a)" >/dev/null
scan a
wait_until 30 "the data file reaches device b" settled
[ -f "$(data_of b)" ] || fail "device b has no data file"
first=$(expenses a "$(data_of a)")
[ "$(wc -l <<<"$first")" = 1 ] || fail "device a's data file holds no single expense"
[ "$(expenses b "$(data_of b)")" = "$first" ] || fail "device b's data file differs from device a's"

step "each device imports 20 expenses before it has seen the other's"
offset=0
for device in a b; do
    {
        echo "date,category,amount,account,note"
        for i in $(seq 1 20); do
            printf '2026-12-%02d,Транспорт / Метро,%d,,%s-%02d\n' "$i" "$((i + offset))" "$device" \
                "$i"
        done
    } >"$work/$device.csv"
    offset=100
done
# Both files change before either device scans: the two changes are concurrent, as when the
# two devices record within one sync interval.
cli_on a import "$work/a.csv" --file "$(data_of a)" >/dev/null
cli_on b import "$work/b.csv" --file "$(data_of b)" >/dev/null
scan a &
scan_a=$!
scan b
wait "$scan_a"

# What both devices should end with: the three imports into one file, without any sync.
mkdir "$work/reference"
for csv in start a b; do
    cli_on a import "$work/$csv.csv" --file "$work/reference/$data_name" >/dev/null
done
all=$(expenses a "$work/reference/$data_name")
[ "$(wc -l <<<"$all")" = 41 ] || fail "the reference holds $(wc -l <<<"$all") expenses, not 41"

step "Syncthing keeps one device's file and leaves a conflict copy"
wait_until 45 "a conflict copy beside the data file on either device, synced" conflict_on_either
for device in a b; do
    count=$(expenses "$device" "$(data_of "$device")" | wc -l)
    # This is what users lose without a merge: the data file holds one device's 21 expenses.
    [ "$count" = 21 ] || fail "device $device's data file holds $count expenses, not 21"
done
# The other device's 20 are only in the conflict copy, which no program reads.
for device in a b; do
    for copy in $(conflict_copies "$device"); do
        diff <(echo "$all") <(sort -m <(expenses "$device" "$(data_of "$device")") \
            <(expenses "$device" "$work/$device/sync/$copy") | uniq) >/dev/null ||
            fail "device $device's data file and its conflict copy $copy together lack expenses"
    done
done
echo "each data file holds 21 of the 41 expenses, the conflict copy the other 20:" \
    $(conflict_copies a) $(conflict_copies b)

step "merge --conflicts on device a"
status=0
cli_on a merge --conflicts --file "$(data_of a)" 2>"$work/merge.err" || status=$?
cat "$work/merge.err" >&2
[ "$status" = 0 ] || fail "merge --conflicts ended with status $status"
[ -z "$(conflict_copies a)" ] || fail "a conflict copy is left beside device a's data file"
scan a
wait_until 30 "the merged file reaches device b" settled
# Had device b saved between the conflict and the merge, its save would make a new conflict;
# the merge on device b brings that in too, and its copy goes the same way.
if [ -n "$(conflict_copies b)" ]; then
    step "merge --conflicts on device b, for a conflict that arose meanwhile"
    cli_on b merge --conflicts --file "$(data_of b)" || fail "merge --conflicts ended with status $?"
    scan b
    wait_until 30 "device b's merge reaches device a" settled
fi

step "both devices hold all 41 expenses exactly once and no conflict copy"
for device in a b; do
    [ -z "$(conflict_copies "$device")" ] ||
        fail "conflict copies left on device $device:" $(conflict_copies "$device")
    diff <(echo "$all") <(expenses "$device" "$(data_of "$device")") ||
        fail "device $device's data file does not hold the 41 expenses exactly once (diff above)"
done
echo "both devices hold the 41 expenses exactly once"

step "a statement imported on device a is known on device b by its bank ids"
printf 'date,category,amount,account,note\n2026-12-22,Еда / Хлеб,1,Карта,счёт\n' >"$work/card.csv"
printf '!Type:Bank\nD12/23/2026\nT-42.00\nNFIT-1\nPАптека\n^\nD12/24/2026\nT300.00\nNFIT-2\nPВозврат\n^\n' \
    >"$work/statement.qif"
cli_on a import "$work/card.csv" --file "$(data_of a)" >/dev/null
cli_on a import-statement "$work/statement.qif" --account Карта --unassigned "Еда / Хлеб" \
    --file "$(data_of a)" | grep -q '^expenses: 1,' || fail "device a did not import the statement"
scan a
wait_until 30 "the statement's import reaches device b" settled
# Other words in the bank's second export: only the bank ids tell the rows as recorded.
sed 's/^P/PБанк: /' "$work/statement.qif" >"$work/again.qif"
told=$(cli_on b import-statement "$work/again.qif" --account Карта --unassigned "Еда / Хлеб" \
    --dry-run --file "$(data_of b)")
grep -q '^skipped: 2$' <<<"$told" || fail "device b would import the statement again: $told"
echo "device b skips the statement device a imported"
