#!/usr/bin/env bash
# Installs what is needed, builds, lays out the demo installation and runs the manager in
# it: the window (varnholt) when a display is available, else varnholtd; --headless forces
# varnholtd. Ctrl-C or SIGTERM stops it in order. Other arguments are passed on; without any
# it runs with -start, so it launches the game server and keeps it running.
set -euo pipefail
headless=0
args=()
for a in "$@"; do
  if [ "$a" = --headless ]; then headless=1; else args+=("$a"); fi
done
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=1; fi
set -- "${args[@]+"${args[@]}"}"
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-demo}
game=${DEMO_DIR:-$root/demo-install}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNHOLT_BUILD_TESTS=OFF -DVARNHOLT_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target varnholtd varnholt varnlink ashfront-sim rfa-pack
"$root/scripts/make-demo.sh" "$game" "$build"
cd "$game"
# A ban to watch: a timed ban of a made-up address that ends two minutes from now. The
# manager loads it at start-up, and the first monitor tick after it ends lifts it from the
# server and from the list ("Varnholt.log" says so).
bans="Mods/ashfront/Settings/ServerBanList.con"
if ! grep -q '"Demo Raider"' "$bans" 2>/dev/null; then
  now=$(date +%s)
  printf '"Demo Raider",10.9.8.7,*,*,"operator",%d,%d,demo timed ban\r\n' "$now" "$((now + 120))" >> "$bans"
fi
# A schedule to watch: a daily restart four minutes from now (its local time of day), so the
# log shows the three-, two- and one-minute warnings said to the players and then
# "Restarting server per scheduled event.". Written afresh on every run of the demo.
printf '%d,Start server,Daily,Varnholt.con,ServerMapList.con,1\r\n' "$(( $(date +%s) + 240 ))" \
  > Mods/ashfront/Settings/ServerSchedule.con
program=varnholtd
[ "$headless" = 1 ] || program=varnholt
echo "Running $program in $game (log: $game/Varnholt.log)"
if [ $# -eq 0 ]; then set -- -start; fi
# Once the manager listens, the command-line client logs in with the demo account and lists
# the connected clients (itself).
port=15667
for ((i = 1; i <= $#; i++)); do
  if [ "${!i}" = -port ]; then j=$((i + 1)); port=${!j:-15667}; fi
done
(sleep 5 && VARNLINK_PASSWORD=ashfront-demo "$build/app/varnlink" -p "$port" -u demo clients) &
exec "$build/app/$program" "$@"
