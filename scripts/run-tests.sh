#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: plain, then under
# AddressSanitizer + UndefinedBehaviorSanitizer.
#   --quick: only the plain build and its tests (no packages, sanitizers, install or fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [[ "${1:-}" == "--quick" ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEMA_WERROR=ON >/dev/null
  cmake --build build -j "$jobs"
  (cd build && ctest --output-on-failure)
  exit
fi
bash scripts/deps.sh
# Every C and C++ source formatted as .clang-format says.
bash scripts/format.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEMA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure)
# The installed package: headers, libraries, CMake and pkg-config files, example hosts.
bash scripts/test-install.sh build
# No definite leak under valgrind over the lemald scripts.
bash scripts/valgrind.sh build
# lemald's peak memory stays small on a script of 100,000 steps.
bash scripts/lemald-memory.sh build

# Threads under ThreadSanitizer: several threads with their own instances, one shared host
# object, classes registered and removed meanwhile (the library and that test only).
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEMA_WERROR=ON -DLEMA_TSAN=ON \
  -DLEMA_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target lema_thread_stress
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/bin/lema_thread_stress

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLEMA_WERROR=ON -DLEMA_SANITIZE=ON -DLEMA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure)

# A packager's build: Release with GCC, warnings as errors, so that an optimiser-only
# warning cannot come back unnoticed (compiled, not tested again).
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DLEMA_WERROR=ON -DLEMA_BUILD_TESTS=OFF \
  -DLEMA_BUILD_BENCH=OFF >/dev/null
cmake --build build-release -j "$jobs"

# A short fuzzing run (clang's libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer).
bash scripts/fuzz.sh 60
