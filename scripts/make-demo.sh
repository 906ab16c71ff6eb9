#!/usr/bin/env bash
# Builds the bundled demo installation: a game folder laid out as the manager expects, with
# the substitute game server installed under the server's executable name.
#   scripts/make-demo.sh GAME_FOLDER BUILD_FOLDER
set -euo pipefail

game=${1:?usage: make-demo.sh GAME_FOLDER BUILD_FOLDER}
build=${2:?usage: make-demo.sh GAME_FOLDER BUILD_FOLDER}
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$game/Mods/ashfront/Settings" "$game/pb"
[ -f "$game/Mods/ashfront/init.con" ] || printf 'game.setModName "ashfront"\r\n' > "$game/Mods/ashfront/init.con"

# The demo's own settings (a LAN server on the loopback address with its own console
# credentials), unless the manager has written the file already.
settings="$game/Mods/ashfront/Settings"
if [ ! -s "$settings/Varnholt.con" ]; then
  cp "$here/../demo/settings/Varnholt.con" "$settings/Varnholt.con"
fi
if [ ! -s "$settings/ServerMapList.con" ]; then
  printf 'game.addLevel hue GPM_CQ ashfront\r\ngame.addLevel greywater GPM_COOP ashfront\r\ngame.addLevel frostbite GPM_CQ frontier\r\ngame.addLevel ironhold GPM_CQ ashfront\r\n' > "$settings/ServerMapList.con"
fi

# Auto-admin: a few banned words (one whole name) and announcements; the demo's settings turn
# on auto-announce and the banned-word and high-ping kicks.
for file in BannedWords.con Announcements.con; do
  [ -s "$settings/$file" ] || cp "$here/../demo/settings/$file" "$settings/$file"
done

# The demo's remote administration account (admin rights; name "demo", password
# "ashfront-demo"), in plain text: the manager enciphers the file when it first reads it.
if [ ! -s "$settings/UserAccess.con" ]; then
  cp "$here/../demo/settings/UserAccess.con" "$settings/UserAccess.con"
  chmod 600 "$settings/UserAccess.con"
fi

# PunkBuster is installed (its server library stands in as an empty file) and the demo's
# settings enable it, so GUID bans and PunkBuster kicks run in the demo.
[ -f "$game/pb/pbsv.dll" ] || : > "$game/pb/pbsv.dll"

# A living game: simulated players and bots who fight and chat, among them one whose name
# holds a banned word and one whose ping stays high, so the demo shows both auto-kicks.
[ -f "$game/ashfront-sim.options" ] ||
  printf -- '--players=12\n--bots=2\n--player=NoobHunter|1\n--player=Laggard|2|900\n' > "$game/ashfront-sim.options"

sim="$build/tools/ashfront-sim/ashfront-sim"
if [ -x "$sim" ]; then
  # A copy, not a link: the server is recognised by its executable file.
  cp -f "$sim" "$game/ashfront_w32ded.exe"
else
  cat > "$game/ashfront_w32ded.exe" <<'SCRIPT'
#!/bin/sh
# Stand-in server: stays alive until it is told to end.
trap 'exit 0' TERM INT
while :; do sleep 1; done
SCRIPT
fi
chmod +x "$game/ashfront_w32ded.exe"

if [ -x "$here/demo-content.sh" ] && [ -x "$build/tools/rfa-pack/rfa-pack" ]; then
  "$here/demo-content.sh" "$game" "$build/tools/rfa-pack/rfa-pack"
fi
echo "Demo installation ready in $game"
