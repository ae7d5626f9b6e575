#!/usr/bin/env bash
# Expenses recorded at once on two devices that the real Syncthing keeps in step all end up in
# both data files, each once, after one merge --conflicts.
# When each device records before it has seen the other's file, Syncthing keeps one device's
# file and leaves the other's beside it as a conflict copy, so the data file alone holds only
# half of what was recorded. `tamblero-cli merge --conflicts` on one device brings the copy's
# expenses in and takes the copy away, and after the next sync both devices hold every
# expense exactly once and no conflict copy.
#
# The two Syncthing instances talk over 127.0.0.1 only, on ports found free, with discovery,
# relays, NAT, usage reports, crash reports and upgrades off; each has its own home, and each
# device's tamblero-cli its own HOME and XDG folders, so each has its own device id. Both
# instances are stopped by their process ids however the script ends.
#
# sync-two-devices.sh TAMBLERO_CLI
# Exits 77 (skipped) without syncthing or curl, and, after the conflict copy is shown, while
# the merge refuses every copy as not built yet. Each step prints its name; a failure names
# its step.
set -Eeuo pipefail
cli=$1
for tool in syncthing curl; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tamblero-sync.XXXXXX")
pids=()
step_name="starting"
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM # a timeout's signal still ends in cleanup
# What both devices and their Syncthing instances show, on standard error.
show_logs() {
    local device
    exec >&2
    for device in a b; do
        [ -s "$work/$device/syncthing.log" ] || continue
        echo "--- syncthing on device $device, last lines:"
        tail -n 25 "$work/$device/syncthing.log"
        echo "--- folder of device $device:"
        ls -la "$work/$device/sync"
        [ -n "${device_id[b]:-}" ] || continue
        echo "--- Syncthing's view on device $device:"
        rest "$device" GET "/rest/db/status?folder=$folder_id" 2>&1 | tr -d ' \n' && echo
        completion_of "$device" 2>&1 | tr -d ' \n' && echo
    done
}
fail() {
    echo "FAIL in step \"$step_name\": $*" >&2
    show_logs
    exit 1
}
# Said once, by the script itself: a failure inside $(...) is named by the command around it.
on_error() {
    ((BASH_SUBSHELL == 0)) || return 0
    echo "FAIL in step \"$step_name\": \"$2\" ended with status $1 (line $3)" >&2
    show_logs
}
trap 'on_error $? "$BASH_COMMAND" $LINENO' ERR
step() {
    step_name=$1
    echo "== $step_name"
}

# A TCP port nobody on this machine uses now: absent from the kernel's socket tables.
taken_ports=" "
free_port() {
    local port hex
    while :; do
        port=$((20000 + RANDOM % 40000))
        hex=$(printf ':%04X ' "$port")
        case $taken_ports in *" $port "*) continue ;; esac
        if ! cat /proc/net/tcp /proc/net/tcp6 2>/dev/null | grep -q "$hex"; then
            taken_ports="$taken_ports$port "
            echo "$port"
            return
        fi
    done
}

folder_id=tamblero
data_name=QZData.dat
declare -A gui_port listen_port device_id api_key
for device in a b; do
    mkdir -p "$work/$device"/{syncthing,sync,home,config,data,cache,state}
    : >"$work/$device/sync/.stfolder"
    gui_port[$device]=$(free_port)
    listen_port[$device]=$(free_port)
    api_key[$device]=key-$device-$RANDOM$RANDOM
done
other() { if [ "$1" = a ]; then echo b; else echo a; fi; }

# tamblero-cli as the user of one device runs it, in that device's synced folder.
on() {
    local device=$1
    shift
    HOME=$work/$device/home XDG_CONFIG_HOME=$work/$device/config XDG_DATA_HOME=$work/$device/data \
        XDG_CACHE_HOME=$work/$device/cache XDG_STATE_HOME=$work/$device/state \
        "$cli" "$@" </dev/null
}
data_of() { echo "$work/$1/sync/$data_name"; }
# The conflict copies of the data file in one device's folder, one a line.
conflict_copies() {
    local pattern='^QZData\.sync-conflict-[0-9]{8}-[0-9]{6}-[A-Z0-9]{7}\.dat$'
    (cd "$work/$1/sync" && ls -A | grep -E "$pattern") || true
}
# Every expense of a data file, one a line, sorted: the same multiset is the same expenses.
# The last column, the expense's identity, is left out: the reference file made here has ids
# of its own. The test's names, notes and accounts hold no comma.
expenses() { on "$1" export --file "$2" | tail -n +2 | sed 's/,[^,]*$//' | LC_ALL=C sort; }

# Syncthing's REST interface on one device: rest DEVICE GET|POST PATH.
rest() {
    curl -fsS --max-time 30 -X "$2" -H "X-API-Key: ${api_key[$1]}" \
        "http://127.0.0.1:${gui_port[$1]}$3" 2>/dev/null
}
# One value of a flat JSON answer: json_value NAME TEXT.
json_value() {
    sed -n "s/^ *\"$1\": *\"\{0,1\}\([^\",]*\)\"\{0,1\},\{0,1\}$/\1/p" <<<"$2" | head -1
}
# How much of the folder one device knows the other device to have.
completion_of() {
    rest "$1" GET "/rest/db/completion?folder=$folder_id&device=${device_id[$(other "$1")]}"
}
scan() { rest "$1" POST "/rest/db/scan?folder=$folder_id" >/dev/null; }
# Polls COMMAND every 0.2 s until it succeeds twice in a row, for at most SECONDS.
wait_until() {
    local seconds=$1 description=$2 passed=0 tries
    shift 2
    for ((tries = seconds * 5; tries > 0; tries--)); do
        if "$@"; then
            passed=$((passed + 1))
            ((passed < 2)) || return 0
        else
            passed=0
        fi
        sleep 0.2
    done
    fail "not within ${seconds} s: $description"
}
answers() { rest "$1" GET /rest/system/ping >/dev/null; }
connected() {
    local connections
    connections=$(rest a GET /rest/system/connections) &&
        grep -q '"connected": true' <<<"$connections"
}
# Both folders idle with nothing to pull, each device knowing the other has all it has.
device_settled() {
    local status completion
    status=$(rest "$1" GET "/rest/db/status?folder=$folder_id") || return 1
    [ "$(json_value state "$status")" = idle ] &&
        [ "$(json_value needTotalItems "$status")" = 0 ] &&
        [ "$(json_value pullErrors "$status")" = 0 ] || return 1
    completion=$(completion_of "$1") || return 1
    [ "$(json_value completion "$completion")" = 100 ] &&
        [ "$(json_value needItems "$completion")" = 0 ] &&
        [ "$(json_value needDeletes "$completion")" = 0 ]
}
settled() { device_settled a && device_settled b; }
conflict_on_either() { [ -n "$(conflict_copies a)$(conflict_copies b)" ] && settled; }

step "set up two Syncthing devices"
for device in a b; do
    home=$work/$device/syncthing
    syncthing generate --home="$home" --no-default-folder --skip-port-probing \
        >"$work/$device/generate.log" 2>&1
    # The id as serve tells it, else as generate printed it.
    device_id[$device]=$(syncthing serve --home="$home" --device-id 2>/dev/null ||
        grep -o '[A-Z0-9]\{7\}\(-[A-Z0-9]\{7\}\)\{7\}' "$work/$device/generate.log" | head -1)
    [ -n "${device_id[$device]}" ] || fail "Syncthing gave device $device no id"
done
# Each config names both devices at the other's loopback port and shares one folder with both.
for device in a b; do
    peer=$(other "$device")
    cat >"$work/$device/syncthing/config.xml" <<EOF
<configuration version="36">
    <folder id="$folder_id" label="Tamblero" path="$work/$device/sync" type="sendreceive"
            rescanIntervalS="3600" fsWatcherEnabled="false">
        <device id="${device_id[a]}"></device>
        <device id="${device_id[b]}"></device>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="${device_id[$device]}" name="device-$device">
        <address>dynamic</address>
    </device>
    <device id="${device_id[$peer]}" name="device-$peer">
        <address>tcp://127.0.0.1:${listen_port[$peer]}</address>
    </device>
    <gui enabled="true" tls="false">
        <address>127.0.0.1:${gui_port[$device]}</address>
        <apikey>${api_key[$device]}</apikey>
    </gui>
    <options>
        <listenAddress>tcp://127.0.0.1:${listen_port[$device]}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <startBrowser>false</startBrowser>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>1</reconnectionIntervalS>
        <setLowPriority>false</setLowPriority>
        <stunServer></stunServer>
    </options>
</configuration>
EOF
done

step "start both Syncthing instances and connect them"
for device in a b; do
    # timeout ends an instance that outlives a script killed without its cleanup.
    HOME=$work/$device/home STNOUPGRADE=1 STNORESTART=1 STNODEFAULTFOLDER=1 \
        timeout 150 syncthing serve --home="$work/$device/syncthing" --no-browser --no-restart \
        --no-upgrade --no-default-folder >"$work/$device/syncthing.log" 2>&1 &
    pids+=($!)
done
for device in a b; do
    wait_until 20 "Syncthing on device $device answers" answers "$device"
done
wait_until 20 "the two devices are connected" connected

step "a data file with one expense, synced to both devices"
cat >"$work/start.csv" <<EOF
date,category,amount,account,note
2026-11-30,Еда / Хлеб,50,,начало
EOF
on a import "$work/start.csv" --file "$(data_of a)" >/dev/null
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
on a import "$work/a.csv" --file "$(data_of a)" >/dev/null
on b import "$work/b.csv" --file "$(data_of b)" >/dev/null
scan a &
scan_a=$!
scan b
wait "$scan_a"

# What both devices should end with: the three imports into one file, without any sync.
mkdir "$work/reference"
for csv in start a b; do
    on a import "$work/$csv.csv" --file "$work/reference/$data_name" >/dev/null
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
on a merge --conflicts --file "$(data_of a)" 2>"$work/merge.err" || status=$?
cat "$work/merge.err" >&2
if grep -q "merging is not built yet" "$work/merge.err"; then
    echo "skipped: the merge is not built yet; the conflict copy was shown"
    exit 77
fi
[ "$status" = 0 ] || fail "merge --conflicts ended with status $status"
[ -z "$(conflict_copies a)" ] || fail "a conflict copy is left beside device a's data file"
scan a
wait_until 30 "the merged file reaches device b" settled
# Had device b saved between the conflict and the merge, its save would make a new conflict;
# the merge on device b brings that in too, and its copy goes the same way.
if [ -n "$(conflict_copies b)" ]; then
    step "merge --conflicts on device b, for a conflict that arose meanwhile"
    on b merge --conflicts --file "$(data_of b)" || fail "merge --conflicts ended with status $?"
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
