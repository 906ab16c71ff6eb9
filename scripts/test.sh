#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNHOLT_BUILD_TESTS=ON -DVARNHOLT_BUILD_BENCH=ON "$@"
cmake --build "$build" -j "$(nproc)"
# The Qt pieces run on the offscreen platform: no display is needed.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
