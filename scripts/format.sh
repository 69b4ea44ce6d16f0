#!/usr/bin/env bash
# Checks that every C and C++ source the project tracks is formatted as .clang-format says
# (exit 1 and the list of files otherwise); with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if [[ "${1:-}" == "--fix" ]]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  [[ -f "$f" ]] || continue
  clang-format --style=file "$f" | cmp -s - "$f" || bad+=("$f")
done
if ((${#bad[@]})); then
  echo "not formatted (run scripts/format.sh --fix):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
