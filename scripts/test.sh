#!/usr/bin/env bash
# Builds the module with AddressSanitizer and UBSan and runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUN_SANITIZE=ON -DZUN_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
