#!/usr/bin/env bash
# Set-up, then a Release build without the tests into build-package/ and its Debian package,
# whose dependencies dpkg-shlibdeps computes. Prints the package's path; install it with
#   apt-get install ./build-package/tamblero_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=build-package
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTAMBLERO_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/tamblero_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$PWD/$dir"/tamblero_*.deb
