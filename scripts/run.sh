#!/usr/bin/env bash
# Builds the module and runs the main job: zun-render draws every part of
# the bundled sample drawing into out/pictures/<part name>.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZUN_BUILD_TESTS=OFF -DZUN_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target zun-render

export QT_QPA_PLATFORM=offscreen
"$build/host/zun-render" -o out/pictures "$@"
echo "The pictures are in $(pwd)/out/pictures"
