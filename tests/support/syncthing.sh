# Two devices that the real Syncthing keeps in step over 127.0.0.1, for the sync tests; sourced
# by bash scripts that run under `set -Eeuo pipefail`.
#
# Each device (a and b) has under $work/DEVICE a Syncthing home, a synced folder (sync/), and a
# HOME with XDG folders of its own, so each device's programs have their own device id. The
# instances talk only to each other, on ports found free, with discovery, relays, NAT, usage
# reports, crash reports and upgrades off. Every process the script adds to `pids` is ended
# by its id, in the reverse order of its start, however the script ends.
#
# Before sourcing, set `folder_options` to the folder's attributes of Syncthing's config (how it
# notices changes). Then: st_setup, st_start; `on DEVICE PROGRAM ARGS...` runs a program as
# that device's user; `step NAME` names what follows, `fail TEXT` ends with the logs shown.
# Exits 77 (skipped) when syncthing or curl is missing.
for tool in syncthing curl; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tamblero-sync.XXXXXX")
pids=()
step_name="starting"
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM # a timeout's signal still ends in cleanup
# More a script shows of its own on failure: set show_more to a function's name.
show_more=:
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
    "$show_more"
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

# The environment of one device's user, in the array device_env: device_vars DEVICE.
device_vars() {
    device_env=(HOME="$work/$1/home" XDG_CONFIG_HOME="$work/$1/config"
        XDG_DATA_HOME="$work/$1/data" XDG_CACHE_HOME="$work/$1/cache"
        XDG_STATE_HOME="$work/$1/state")
}
# A program as the user of one device runs it: on DEVICE PROGRAM ARGS...
on() {
    device_vars "$1"
    shift
    env "${device_env[@]}" "$@"
}
data_of() { echo "$work/$1/sync/$data_name"; }
# The conflict copies of the data file in one device's folder, one a line.
conflict_copies() {
    local pattern='^QZData\.sync-conflict-[0-9]{8}-[0-9]{6}-[A-Z0-9]{7}\.dat$'
    (cd "$work/$1/sync" && ls -A | grep -E "$pattern") || true
}

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

# Makes both devices' ids and configs: each names both devices and shares one folder, with
# $folder_options, with both. Device b alone dials, device a's loopback port: when both dial at
# once, Syncthing may keep neither connection, and the two wait 20 s for a greeting that never
# comes before they try again.
st_setup() {
    local device home peer address
    for device in a b; do
        home=$work/$device/syncthing
        syncthing generate --home="$home" --no-default-folder --skip-port-probing \
            >"$work/$device/generate.log" 2>&1
        # The id as serve tells it, else as generate printed it.
        device_id[$device]=$(syncthing serve --home="$home" --device-id 2>/dev/null ||
            grep -o '[A-Z0-9]\{7\}\(-[A-Z0-9]\{7\}\)\{7\}' "$work/$device/generate.log" | head -1)
        [ -n "${device_id[$device]}" ] || fail "Syncthing gave device $device no id"
    done
    for device in a b; do
        peer=$(other "$device")
        address=dynamic # with discovery off: never dialled
        [ "$device" = a ] || address=tcp://127.0.0.1:${listen_port[$peer]}
        cat >"$work/$device/syncthing/config.xml" <<XML
<configuration version="36">
    <folder id="$folder_id" label="Tamblero" path="$work/$device/sync" type="sendreceive"
            $folder_options>
        <device id="${device_id[a]}"></device>
        <device id="${device_id[b]}"></device>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="${device_id[$device]}" name="device-$device">
        <address>dynamic</address>
    </device>
    <device id="${device_id[$peer]}" name="device-$peer">
        <address>$address</address>
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
XML
    done
}

# Starts both instances, device a's first so that device b's first dial finds it listening, and
# waits until they are connected.
st_start() {
    local device
    for device in a b; do
        # timeout ends an instance that outlives a script killed without its cleanup.
        HOME=$work/$device/home STNOUPGRADE=1 STNORESTART=1 STNODEFAULTFOLDER=1 \
            timeout 150 syncthing serve --home="$work/$device/syncthing" --no-browser \
            --no-restart --no-upgrade --no-default-folder >"$work/$device/syncthing.log" 2>&1 &
        pids+=($!)
        wait_until 20 "Syncthing on device $device answers" answers "$device"
    done
    wait_until 20 "the two devices are connected" connected
}
