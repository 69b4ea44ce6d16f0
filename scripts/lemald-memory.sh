#!/usr/bin/env bash
# Peak memory of `lemald run` over a script of 100,000 steps (50,000 lookup calls, each
# followed by a get of its statement): the results are spooled and the script is run as it
# is read, so the peak must stay under a small bound whatever the script's length.
#   scripts/lemald-memory.sh [BUILD_DIR] [BOUND_MB]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bound_mb=${2:-32}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/script.json" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    f.write('{"today": "2024-03-15", "steps": [\n')
    f.write('{"op": "new", "class": "LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "as": "lk"}')
    for i in range(49999):
        f.write(',\n{"op": "call", "obj": "lk", "method": "Sezionali", "args": [%d]}' % i)
        f.write(',\n{"op": "get", "obj": "lk", "prop": "StringaSQL"}')
    f.write(',\n{"op": "release", "obj": "lk"}]}\n')
PY
/usr/bin/time -f %M -o "$work/peak" "$build/bin/lemald" run "$work/script.json" >"$work/out.json"
peak_kb=$(cat "$work/peak")
printf 'lemald run, 100000 steps (%s MB script, %s MB of results): peak %s MB\n' \
  "$(($(stat -c %s "$work/script.json") / 1048576))" "$(($(stat -c %s "$work/out.json") / 1048576))" \
  "$((peak_kb / 1024))"
((peak_kb <= bound_mb * 1024))
