#!/usr/bin/env bash
# Two windows on two devices that the real Syncthing keeps in step, each recording at the same
# time, end with the same ledger: every change once in both data files, no conflict copy left.
# Each device's window (tamblero_sync_peer: the real window, its actions typed into its own
# dialogs) records expenses, a deposit and a rename within the same second as the other's, so
# both save at once and Syncthing leaves a conflict copy; the windows' sync watchers merge the
# copies and the other device's versions and save, until both files agree.
#
# The devices are tests/support/syncthing.sh's, Syncthing watching the folders as it does for
# users (a change is sent a second after it is made).
#
# sync-two-windows.sh TAMBLERO_SYNC_PEER TAMBLERO_CLI      (QT_QPA_PLATFORM=offscreen)
# Exits 77 (skipped) without syncthing or curl. Each step prints its name; a failure names its
# step and shows the logs.
set -Eeuo pipefail
peer=$1 cli=$2
folder_options='rescanIntervalS="5" fsWatcherEnabled="true" fsWatcherDelayS="1"'
source "$(dirname "${BASH_SOURCE[0]}")/../../support/syncthing.sh"
export QT_QPA_PLATFORM=offscreen
started=$SECONDS

cli_on() {
    local device=$1
    shift
    on "$device" "$cli" "$@" </dev/null
}
peer_log() { echo "$work/$1/peer.log"; }
peer_errors() { echo "$work/$1/peer.err"; }
show_peers() {
    local device
    for device in a b; do
        [ -e "$(peer_log "$device")" ] || continue
        echo "--- window of device $device, output and errors:"
        cat "$(peer_log "$device")" "$(peer_errors "$device")"
        echo "--- its merged copies:"
        ls -A "$work/$device/state/tamblero/merged" 2>/dev/null || true
    done
}
show_more=show_peers

declare -A input peer_pid
# Starts device DEVICE's window on its data file, reading actions from a pipe of its own.
start_peer() {
    local device=$1 fd
    mkfifo "$work/$device/input"
    device_vars "$device"
    # timeout ends a window that outlives a script killed without its cleanup.
    env "${device_env[@]}" timeout 100 "$peer" "$(data_of "$device")" <"$work/$device/input" \
        >"$(peer_log "$device")" 2>"$(peer_errors "$device")" &
    pids+=($!)
    peer_pid[$device]=$!
    exec {fd}>"$work/$device/input"
    input[$device]=$fd
}
ready() { grep -qx ready "$(peer_log "$1")"; }
# Sends the actions, one an argument, to device DEVICE's window: tell DEVICE ACTION...
declare -A sent=([a]=0 [b]=0)
tell() {
    local device=$1
    shift
    printf '%s\n' "$@" >&"${input[$device]}"
    sent[$device]=$((sent[$device] + $#))
}
all_done() { [ "$(grep -cE '^(done|failed|unknown) ' "$(peer_log "$1")")" = "${sent[$1]}" ]; }
# Waits until both windows answered every action, and fails unless each was done.
both_done() {
    wait_until 20 "both windows answered every action" eval 'all_done a && all_done b'
    ! grep -qE '^(failed|unknown) ' "$(peer_log a)" "$(peer_log b)" ||
        fail "a window could not do what it was told"
}

# Lines of one device's file: export, accounts and each account's register.
export_of() { cli_on "$1" export --file "$(data_of "$1")"; }
accounts_of() { cli_on "$1" accounts --file "$(data_of "$1")"; }
register_of() { cli_on "$1" register --file "$(data_of "$1")" --account "$2"; }
# Exactly one line of TEXT matches the extended regular expression: once TEXT REGEX.
once() { [ "$(grep -cE -- "$2" <<<"$1")" = 1 ]; }
# Both files hold every change once and agree, and nothing is left to merge or to sync.
agreed() {
    local export_a accounts_a device
    [ -z "$(conflict_copies a)$(conflict_copies b)" ] || return 1
    export_a=$(export_of a) && accounts_a=$(accounts_of a) || return 1
    [ "$(export_of b)" = "$export_a" ] && [ "$(accounts_of b)" = "$accounts_a" ] || return 1
    for expense in 'Еда / Батон,111' 'Еда / Батон,112' 'Еда / Батон,113' \
        'Поездки / Метро,221' 'Поездки / Метро,222' 'Поездки / Метро,223'; do
        once "$export_a" "^[^,]*,$expense," || return 1
    done
    # The start's expenses, under the renamed nodes; no old name is left.
    [ "$(grep -cE ',(Еда / Батон|Поездки / Метро),50,' <<<"$export_a")" = 2 ] || return 1
    ! grep -qE 'Хлеб|Транспорт' <<<"$export_a" || return 1
    for device in a b; do
        once "$(register_of "$device" Наличные)" ',Пополнение,,500,' || return 1
        once "$(register_of "$device" Карта)" ',Пополнение,,700,' || return 1
    done
    settled
}

step "set up two Syncthing devices"
st_setup

# As the README asks of users: each device's lock and restore point stay its own.
for device in a b; do
    printf '(?d)QZData.dat.lock\n(?d)QZData.dat.tmp-*\n(?d)QZData.dat.bak\n' \
        >"$work/$device/sync/.stignore"
done

step "start both Syncthing instances and connect them"
st_start

step "a data file with two articles and two accounts, synced to both devices"
cat >"$work/start.csv" <<EOF
date,category,amount,account,note
2026-11-30,Еда / Хлеб,50,Наличные,начало
2026-11-30,Транспорт / Метро,50,Карта,начало
EOF
cli_on a import "$work/start.csv" --file "$(data_of a)" >/dev/null
scan a
wait_until 30 "the data file reaches device b" settled
[ "$(export_of b)" = "$(export_of a)" ] || fail "device b's data file differs from device a's"

step "start a window on each device"
for device in a b; do
    start_peer "$device"
done
wait_until 30 "both windows are up" eval 'ready a && ready b'

step "both windows record at once: expenses, a deposit, a rename"
# Both windows save two seconds after their last action, within the same second: neither has
# seen the other's file, so Syncthing keeps one and leaves the other as a conflict copy.
recorded=$SECONDS
tell a 'expense|Хлеб|111' 'deposit|Наличные|500' 'rename|Хлеб|Батон' 'expense|Батон|112'
tell b 'expense|Метро|221' 'rename|Транспорт|Поездки' 'deposit|Карта|700'
both_done

step "both record again at once, as the first changes travel"
tell a 'expense|Батон|113'
tell b 'expense|Метро|222' 'expense|Метро|223'
both_done

step "both data files hold every change once, agree, and no conflict copy is left"
wait_until 60 "both data files agree and hold every change once, with no conflict copy" agreed
merged=$(ls -A "$work/a/state/tamblero/merged" "$work/b/state/tamblero/merged" 2>/dev/null |
    grep -c sync-conflict || true)
((merged > 0)) || fail "no conflict copy was made, so none was merged: the test proves too little"
if grep -q 'unexpected' "$(peer_errors a)" "$(peer_errors b)"; then
    fail "a window showed a message no one expected"
fi
echo "agreed $((SECONDS - recorded)) s after the first change ($((SECONDS - started)) s in all)," \
    "with $merged conflict copies merged"

step "both windows end on SIGTERM, saving, and the files still agree"
for device in a b; do
    kill -TERM "${peer_pid[$device]}"
done
declare -A ended
for device in a b; do
    ended[$device]=0
    wait "${peer_pid[$device]}" || ended[$device]=$?
done
pids=("${pids[@]:0:${#pids[@]}-2}") # both ended: the cleanup has no window left to stop
for device in a b; do
    ((ended[$device] == 0)) || fail "device $device's window ended with status ${ended[$device]}"
done
wait_until 20 "both data files agree after the windows ended" agreed
