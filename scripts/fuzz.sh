#!/usr/bin/env bash
# Builds the fuzz target with clang (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer)
# in build-fuzz/ and runs it from the seed corpus in fuzz/corpus/ for a limited time.
#   scripts/fuzz.sh [SECONDS]      default 60
# New inputs found during the run go to a temporary directory (the seed corpus is not
# changed); a crash, leak or timeout leaves its input in build-fuzz/findings/ and makes the
# script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings
echo "fuzzing for ${seconds}s from $(ls fuzz/corpus | wc -l) seeds"
status=0
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build-fuzz/lema_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2560 \
  -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ "$work" fuzz/corpus >"$work.log" 2>&1 || status=$?
{ grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)|^"|Uses: |NEW_FUNC' "$work.log" || true; } | tail -n 40
rm -f "$work.log"
if ((status != 0)); then
  echo "fuzz: the target failed (exit $status); inputs in build-fuzz/findings/"
  exit 1
fi
echo "fuzz: no finding"
