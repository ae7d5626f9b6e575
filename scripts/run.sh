#!/usr/bin/env bash
# Set-up, build and start Tamblero. Arguments go to the program (a data file path).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
if [ -x build/tamblero ]; then
  exec build/tamblero "$@"
fi
echo "The window is not built yet; the core library and its tests are in build/."
