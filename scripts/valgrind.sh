#!/usr/bin/env bash
# Runs lemald under valgrind over the golden scripts (lookups, decodes, connector cycles,
# data access) and fails on any memory error or definite leak.
#   scripts/valgrind.sh [BUILD_DIR]      default build (must hold bin/lemald)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if ! command -v valgrind >/dev/null; then
  echo "installing: valgrind"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends valgrind
fi
if [ ! -x "$build/bin/lemald" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc)" --target lemald
fi

passed=0
failed=0
for script in tests/scripts/*.json tests/guard_scripts/*.json; do
  log=$(mktemp)
  guard=0
  [[ $script == */guard_scripts/* ]] && guard=1  # those run with the value guard on
  if LEMA_VALUE_GUARD=$guard valgrind --quiet --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=99 \
      --log-file="$log" "$build/bin/lemald" run "$script" >/dev/null; then
    passed=$((passed + 1))
  else
    echo "valgrind: $script"
    cat "$log"
    failed=$((failed + 1))
  fi
  rm -f "$log"
done
echo "valgrind: $passed passed, $failed failed"
((failed == 0))
