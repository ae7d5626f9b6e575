#!/bin/sh
# Installs the build into a fresh staging folder under /usr and checks what a desktop and a
# package need of it: exactly the expected files, icons of the size their folder says, both
# validators, man pages that read without warnings, the project's version in the metainfo and
# man pages, the installed tamblero-cli keeping its data in the user's data folder, and the
# OFX reader beside it where libofx let it be built.
#
# check_install.sh BUILD_DIR PROJECT_VERSION
set -u
build=$1
version=$2
stage=$(mktemp -d) || exit 1
trap 'rm -rf "$stage"' EXIT
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

if ! DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage/install.log" 2>&1; then
    cat "$stage/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
usr=$stage/usr

sizes="16 22 24 32 48 64 128 256"
{
    echo bin/tamblero
    echo bin/tamblero-cli
    [ -x "$build/tamblero-ofx" ] && echo bin/tamblero-ofx
    echo share/applications/tamblero.desktop
    echo share/metainfo/org.tamblero.Tamblero.metainfo.xml
    echo share/icons/hicolor/scalable/apps/tamblero.svg
    for n in $sizes; do echo "share/icons/hicolor/${n}x$n/apps/tamblero.png"; done
    echo share/man/man1/tamblero.1.gz
    echo share/man/man1/tamblero-cli.1.gz
} | LC_ALL=C sort >"$stage/expected"
(cd "$usr" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$stage/found"
if ! cmp -s "$stage/expected" "$stage/found"; then
    fail "installed files differ from the expected tree:"
    diff -u "$stage/expected" "$stage/found"
fi

for exe in tamblero tamblero-cli; do
    [ -x "$usr/bin/$exe" ] || fail "$exe is not executable"
done
# The OFX reader, where built, runs from where it was installed (usage: exit 2).
if [ -x "$build/tamblero-ofx" ]; then
    "$usr/bin/tamblero-ofx" 2>/dev/null
    [ $? = 2 ] || fail "the installed tamblero-ofx does not run"
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for n in $sizes; do
    png=$usr/share/icons/hicolor/${n}x$n/apps/tamblero.png
    [ -f "$png" ] || continue
    got=$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')
    [ "$got" = "${n}x$n" ] || fail "$png is $got"
done

desktop=$usr/share/applications/tamblero.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=tamblero %f' "$desktop" || fail "the desktop entry does not start tamblero"
grep -qx 'Icon=tamblero' "$desktop" || fail "the desktop entry's icon is not tamblero"

metainfo=$usr/share/metainfo/org.tamblero.Tamblero.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$stage/appstream" 2>&1 ||
    { cat "$stage/appstream"; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"
grep -q '<launchable type="desktop-id">tamblero.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch tamblero.desktop"
grep -q '<caption>' "$metainfo" || fail "the screenshot has no caption"

for page in tamblero tamblero-cli; do
    file=$usr/share/man/man1/$page.1.gz
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" >"$stage/man" 2>"$stage/man-warnings" ||
        fail "man -l $page"
    [ -s "$stage/man-warnings" ] && { cat "$stage/man-warnings"; fail "$page.1 has warnings"; }
    grep -q "^NAME" "$stage/man" || fail "$page.1 has no NAME"
    grep -q "Tamblero $version" "$stage/man" || fail "$page.1 does not name version $version"
done

# The installed tool, with no data file beside it, creates and reads one in the user's folder.
home=$stage/home
mkdir "$home"
printf 'date,category,amount,account\n2009-03-01,Еда,50,\n' >"$stage/one.csv"
env -u XDG_DATA_HOME HOME="$home" "$usr/bin/tamblero-cli" import "$stage/one.csv" >/dev/null ||
    fail "the installed tamblero-cli cannot import"
data=$home/.local/share/tamblero/QZData.dat
[ -f "$data" ] || fail "no $data after the import"
[ "$(stat -c %a "$home/.local/share/tamblero")" = 700 ] || fail "the data folder is not private"
env -u XDG_DATA_HOME HOME="$home" "$usr/bin/tamblero-cli" check >"$stage/check" ||
    fail "the installed tamblero-cli check"
grep -q "entries: 1" "$stage/check" || { cat "$stage/check"; fail "check does not read the import"; }
exit "$failed"
