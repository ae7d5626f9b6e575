#!/usr/bin/env bash
# Set-up, build and start Tamblero. Arguments go to the program (a data file path).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
exec build/tamblero "$@"
