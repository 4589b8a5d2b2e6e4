#!/usr/bin/env bash
# Builds the module (Release, build/release) and runs the main job:
#  - with a display ($DISPLAY or $WAYLAND_DISPLAY set), the desktop host
#    zun-host opens the bundled sample drawing; arguments go to zun-host;
#  - without one, zun-render draws every part of the sample drawing into
#    out/pictures/<part name>.png; arguments go to zun-render.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZUN_BUILD_TESTS=OFF -DZUN_BUILD_BENCH=OFF

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  cmake --build "$build" -j "$(nproc)" --target zun-host
  exec "$build/host/desktop/zun-host" "$@"
fi

cmake --build "$build" -j "$(nproc)" --target zun-render
export QT_QPA_PLATFORM=offscreen
"$build/host/zun-render" -o out/pictures "$@"
echo "The pictures are in $(pwd)/out/pictures"
