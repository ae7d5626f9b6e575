#!/usr/bin/env bash
# Formats our C++ sources (every tracked .cpp and .h: the program, tests, benchmarks,
# cmake/; never a build folder) with clang-format and .clang-format.
#   format.sh          formats them in place
#   format.sh --check  changes nothing, lists the files that are not formatted and fails if any
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
command -v clang-format >/dev/null || { echo "clang-format is missing: bash scripts/setup.sh" >&2; exit 2; }

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path './build*' -prune -o -path './.git' -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's#^\./##' | sort)
fi

if ((check == 0)); then
  clang-format -i -- "${files[@]}"
  exit 0
fi
unformatted=0
for f in "${files[@]}"; do
  if ! clang-format -- "$f" | cmp -s - "$f"; then
    echo "$f"
    unformatted=$((unformatted + 1))
  fi
done
if ((unformatted)); then
  echo "format.sh: $unformatted file(s) not formatted; bash scripts/format.sh formats them" >&2
  exit 1
fi
