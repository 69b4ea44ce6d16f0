#!/usr/bin/env bash
# Installs what is missing, builds the library and lemald, and runs the demo on the
# embedded SQLite database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
bash demo/run-demo.sh build
