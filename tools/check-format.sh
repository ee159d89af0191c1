#!/usr/bin/env bash
# Checks that C++ sources are laid out as .clang-format says; names each file that is not and fails.
# Usage: tools/check-format.sh [FILE...]   (no files: every .cpp and .h of the project, build folders aside)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  mapfile -t files < <(find API FileFormat Src tools tests fuzz bench examples \
                         \( -name '*.cpp' -o -name '*.h' \) -type f | sort)
else
  files=("$@")
fi
if report=$(clang-format --style=file --dry-run --Werror "${files[@]}" 2>&1); then
  echo "${#files[@]} files formatted"
  exit 0
fi
# One line per file: clang-format reports every place it would change.
grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u |
  sed 's/^/not formatted (clang-format -i): /'
exit 1
