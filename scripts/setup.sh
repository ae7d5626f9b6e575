#!/usr/bin/env bash
# Installs the Debian 12 packages Tamblero needs to build and test (ledger and hledger read
# the exported journal in a test, and the window loads Qt's Russian texts from
# qt6-translations-l10n; tamblero-cli parses its arguments with the header-only
# libcli11-dev; the notes' search folds case with ICU, libicu-dev; tamblero-ofx reads OFX and
# QFX statements through libofx-dev, and without it is not built), if missing, and any
# further packages named as arguments
# (the benchmark scripts name theirs). Clang, its sanitizer runtimes and lld make the sanitizers' build;
# clang-format is for scripts/format.sh. The install test
# and scripts/package.sh check the desktop files and man pages (desktop-file-utils, appstream,
# man-db) and compute the package's dependencies (dpkg-dev, file). The real-window test drives
# the program on an X server of its own (xvfb, xdotool, imagemagick). The two-device test keeps
# one data file on two devices with the real Syncthing, asking it over its REST interface (syncthing,
# curl).
# TAMBLERO_SKIP_SETUP=1 skips all of it, on a machine that already has the packages (or
# where apt-get may not run); the build then says what is missing.
set -euo pipefail
if [ "${TAMBLERO_SKIP_SETUP:-0}" = 1 ]; then
  exit 0
fi

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  qt6-translations-l10n
  libcli11-dev
  libicu-dev
  libofx-dev
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev lld clang-format
  ledger hledger
  desktop-file-utils appstream man-db dpkg-dev file
  xvfb xdotool imagemagick
  syncthing curl
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
