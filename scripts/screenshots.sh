#!/usr/bin/env bash
# Renders every page of the window on the demo installation (server started, players in)
# to docs/screenshots/, under a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-demo}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNHOLT_BUILD_TESTS=OFF -DVARNHOLT_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target varnholt ashfront-sim rfa-pack
game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
"$root/scripts/make-demo.sh" "$game" "$build"
out="$root/docs/screenshots"
mkdir -p "$out"
cd "$game"
# -exit: the server goes down with the window.
VARNHOLT_SCREENSHOTS="$out" XDG_RUNTIME_DIR="$game" \
  xvfb-run -a -s "-screen 0 1280x900x24" "$build/app/varnholt" -start -exit
ls "$out"
