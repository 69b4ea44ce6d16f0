#!/usr/bin/env bash
# Builds the demo database (demo/demo.db) from demo.sql through the library and shows what
# the library reads from it, with lemald:
#   the fiscal years of a company as a grid under the lookup's headings,
#   a customer decoded at two dates (its registry name changed in between),
#   the fiscal-year grid statement of the other company, run on the database.
# Usage: demo/run-demo.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
LEMALD="$(cd "$1" && pwd)/bin/lemald"
if [ ! -x "$LEMALD" ]; then
  echo "$0: $LEMALD not found: build the project first" >&2
  exit 1
fi
cd "$(dirname "$0")"
URL="sqlite3://db=demo.db"

rm -f demo.db
"$LEMALD" sql "$URL" demo.sql

echo "== Fiscal years of company 1 (EserciziContabili)"
"$LEMALD" lookup EserciziContabili @db 1 --db "$URL"

echo
echo "== Customer 123 of company 1 at two dates (ClienteFornitore)"
# lemald answers in its JSON protocol; the two names it decoded are shown one a line.
"$LEMALD" run - <<JSON | python3 -c '
import json, sys
results = json.load(sys.stdin)["results"]
for date, result in zip(["2023-06-30", "2024-06-30"], results[1:]):
    print("Customer 123 at " + date + ": " + str(result.get("value", result)))'
{"steps": [
  {"op": "new", "class": "LEMA_LOOKUPDECODE.CLSCG_DECODE", "as": "dc"},
  {"op": "call", "obj": "dc", "method": "ClienteFornitore", "args": [1, 0, 123, {"\$date": "2023-06-30"}, "$URL"]},
  {"op": "call", "obj": "dc", "method": "ClienteFornitore", "args": [1, 0, 123, {"\$date": "2024-06-30"}, "$URL"]}
]}
JSON

echo
echo "== Fiscal years of company 2 through the grid statement (EserciziContabili_LKPGRID)"
"$LEMALD" lookup EserciziContabili_LKPGRID @db 2 --db "$URL"
