#!/bin/sh
# Runs one test in a home of its own: HOME and the XDG folders point into a fresh folder that
# goes away afterwards, so that no test reads or writes the settings or the data of whoever
# runs the suite. The real home's tamblero folders are listed before and after (names, sizes,
# times, contents); any change there fails the test, whichever test made it.
#
# own-home.sh COMMAND [ARGS...]
# TAMBLERO_GUARDED_HOME names the home to guard instead of the user database's (for the
# guard's own test).
set -u

real_home=${TAMBLERO_GUARDED_HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}

# The folders to watch, one a line: the defaults under the real home, and the XDG ones the
# caller had, when absolute.
guarded() {
    printf '%s\n' "$real_home/.config/tamblero" "$real_home/.local/share/tamblero"
    for folder in "${XDG_CONFIG_HOME:-}" "${XDG_DATA_HOME:-}"; do
        case $folder in /*) printf '%s\n' "$folder/tamblero" ;; esac
    done
}

listing() {
    guarded | while IFS= read -r folder; do
        if [ ! -e "$folder" ]; then
            echo "absent $folder"
            continue
        fi
        find "$folder" -printf '%y %m %s %T@ %p\n' | LC_ALL=C sort
        find "$folder" -type f -exec sha256sum {} + | LC_ALL=C sort
    done
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tamblero-home.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
listing >"$work/before"

mkdir "$work/home" "$work/config" "$work/data" "$work/cache" "$work/state" "$work/runtime" &&
    chmod 700 "$work/runtime" || exit 1
HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
    XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime \
    "$@"
status=$?

listing >"$work/after"
if ! cmp -s "$work/before" "$work/after"; then
    echo "own-home.sh: the real home's tamblero folders changed during this test:" >&2
    diff "$work/before" "$work/after" >&2
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
