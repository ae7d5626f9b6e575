#!/usr/bin/env bash
# The real window on a real X server, driven by keys as a user drives it: during a merge pick
# the cursor's keys choose no target and Escape leaves the pick; Alt and the arrows move the
# period. Exits 77 (skipped) without Xvfb, xdotool or ImageMagick's import.
#
# real-window.sh TAMBLERO TAMBLERO_CLI
set -u
app=$1
cli=$2
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tamblero-window.XXXXXX") || exit 1
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM # a timeout's signal still ends in cleanup
fail() {
    echo "FAIL: $*"
    [ -s "$work/app.log" ] && sed 's/^/tamblero: /' "$work/app.log"
    exit 1
}

# Two articles with today's expenses, as the import writes them.
data=$work/QZData.dat
today=$(date +%F)
printf 'date,category,amount,account,note\n%s,Метро,65,,\n%s,Автобус,40,,\n' "$today" "$today" \
    >"$work/in.csv"
"$cli" import "$work/in.csv" --file "$data" >/dev/null || fail "the import did not write the data"

# A display nobody uses: the server picks a free number and writes it down.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "skipped: no X display could be started"; exit 77; }
export DISPLAY=:$(head -1 "$work/display")

# The first visible window whose name matches, waited for up to 10 s.
window() {
    for _ in $(seq 100); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.1
    done
    return 1
}
# There is no window manager: a window gets the keys by being focused.
keys() {
    xdotool windowfocus --sync "$main" key --delay 80 "$@"
    sleep 0.3
}
title() { xdotool getwindowname "$main"; }
# The window's pixels, as a checksum.
picture() { import -window "$main" rgb:- 2>/dev/null | md5sum; }
# Whether the picture comes to differ from (to equal) the checksum within 3 s.
changes_from() {
    for _ in $(seq 30); do
        [ "$(picture)" != "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
comes_back_to() {
    for _ in $(seq 30); do
        [ "$(picture)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

QT_QPA_PLATFORM=xcb "$app" "$data" >"$work/app.log" 2>&1 &
app_pid=$!
main=$(window '^QZData.dat — Tamblero') || fail "the window did not open"
xdotool mousemove 0 0 # no hover over a row or a button

# Метро, then "Объединить с..." from the menu (the entries before it are disabled).
keys Down Right Down
xdotool mousemove --window "$main" 20 8 click 1
sleep 0.5
xdotool key Down Return
box=$(window '^Tamblero$') || fail "the merge's hint did not open"
xdotool windowfocus --sync "$box" key Return
sleep 0.3

# Down lands on Автобус: nothing merges.
keys Down
sleep 0.5
case $(title) in *'*') fail "Down completed the merge: $(title)" ;; esac
# Escape ends the pick: Enter on Автобус then records an expense instead of merging.
keys Escape Return
dialog=$(window '^Внести расходы') || fail "Enter after Escape opened no expense dialog"
xdotool windowfocus --sync "$dialog" key Escape
sleep 0.3
case $(title) in *'*') fail "the pick outlived Escape: $(title)" ;; esac

# The period's keys: a step back changes the window, a step forward brings it back. The
# window is focused first: a selection looks otherwise in an inactive window.
keys shift
before=$(picture)
keys alt+Left
changes_from "$before" || fail "Alt+Left did not step the period"
keys alt+Right
comes_back_to "$before" || fail "Alt+Left, then Alt+Right did not come back to this week"
keys alt+Up
changes_from "$before" || fail "Alt+Up did not widen the period"

# Quitting keeps the month; the data hold both articles as they were.
keys ctrl+q
for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "Ctrl+Q did not end the program"
app_pid=
grep -q '^periodKind=1$' "${XDG_CONFIG_HOME:-$HOME/.config}/tamblero/tamblero.ini" ||
    fail "the month was not kept"
report=$("$cli" report --period all --file "$data")
echo "$report" | grep -Eq '^ +Метро +65' || fail "Метро is gone: $report"
echo "$report" | grep -Eq '^ +Автобус +40' || fail "Автобус changed: $report"
echo "passed"
