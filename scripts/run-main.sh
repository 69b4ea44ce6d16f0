#!/usr/bin/env bash
# Installs what is missing, builds the library and lemald, runs the demo on the embedded
# SQLite database, and ends with the command that starts the lookup explorer on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
bash demo/run-demo.sh build
echo
echo "== The lookup explorer on the demo database: run"
echo "   build/bin/lemald serve"
echo "   and open http://127.0.0.1:8018/ (Ctrl-C stops it)"
