#!/bin/sh
# Checks the guard of the user's home: every test ctest knows runs through own-home.sh, which
# gives it a home of its own and fails it when a home's tamblero folders change.
#
# check-own-home.sh CTEST BUILD_DIR
set -u
ctest=$1
build=$2
own_home=$(dirname "$0")/own-home.sh
failed=0

# Each test's command, as ctest lists it: "N: Test command: ...", then "Test #N: name".
"$ctest" --test-dir "$build" -N -V >"${TMPDIR:-/tmp}/own-home-list.$$" 2>/dev/null
strays=$(awk '/^[0-9]+: Test command:/ { command = $0 }
              /^ *Test +#[0-9]+:/ { if (index(command, "own-home.sh") == 0) print $3 }' \
    "${TMPDIR:-/tmp}/own-home-list.$$")
count=$(grep -c '^ *Test  *#' "${TMPDIR:-/tmp}/own-home-list.$$")
rm -f "${TMPDIR:-/tmp}/own-home-list.$$"
if [ "$count" -eq 0 ]; then
    echo "ctest lists no tests in $build" >&2
    failed=1
elif [ -n "$strays" ]; then
    echo "tests that do not run through own-home.sh:" $strays >&2
    failed=1
fi

fake=$(mktemp -d) || exit 1
trap 'rm -rf "$fake"' EXIT
mkdir -p "$fake/.config/tamblero"
echo "[MainWindow]" >"$fake/.config/tamblero/tamblero.ini"
guard() {
    TAMBLERO_GUARDED_HOME=$fake sh "$own_home" sh -c "$1"
}

# A test's own home is fresh and private, and writing there is no change to the guarded one.
guard "[ \"\$HOME\" != '$fake' ] && [ -z \"\$(ls -A \"\$HOME\")\" ] &&
       [ \"\$(stat -c %a \"\$XDG_RUNTIME_DIR\")\" = 700 ] &&
       mkdir -p \"\$XDG_CONFIG_HOME/tamblero\" \"\$HOME/.config/tamblero\" &&
       echo x >\"\$XDG_CONFIG_HOME/tamblero/tamblero.ini\" &&
       echo x >\"\$HOME/.config/tamblero/tamblero.ini\"" 2>/dev/null ||
    { echo "a write to the test's own home failed the test" >&2; failed=1; }

# Writing, adding or removing a file in the guarded home's folders fails the test.
for step in "echo x >>'$fake/.config/tamblero/tamblero.ini'" \
    "mkdir -p '$fake/.local/share/tamblero' && : >'$fake/.local/share/tamblero/QZData.dat'" \
    "rm '$fake/.config/tamblero/tamblero.ini'"; do
    if guard "$step" 2>/dev/null; then
        echo "the guard missed: $step" >&2
        failed=1
    fi
done
exit "$failed"
