#!/usr/bin/env bash
# Fills a demo game folder with mods, level archives and the main game archive, built from
# the text sources in demo/content with rfa-pack.
#   scripts/demo-content.sh GAMEFOLDER RFA_PACK_PATH
# GAMEFOLDER must already hold Mods/ashfront/init.con. Existing archives are rebuilt; the
# save folder is left alone, so the program extracts its default game-mode files itself.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 GAMEFOLDER RFA_PACK_PATH" >&2
  exit 2
fi
game="$1"
rfa_pack="$2"
content="$(cd "$(dirname "$0")/../demo/content" && pwd)"

if [ ! -f "$game/Mods/ashfront/init.con" ] && [ ! -f "$game/Mods/ashfront/Init.con" ]; then
  echo "$0: $game is no demo game folder (Mods/ashfront/init.con missing)" >&2
  exit 1
fi
if [ ! -x "$rfa_pack" ]; then
  echo "$0: $rfa_pack is not executable" >&2
  exit 1
fi

staging="$(mktemp -d)"
trap 'rm -rf "$staging"' EXIT

# Copies a template with the level's words filled in.
fill() {
  sed -e "s|@MOD@|$mod|g" -e "s|@LEVEL@|$level|g" -e "s|@TITLE@|$title|g" "$1" > "$2"
}

# The main game archive with the default game-mode settings.
mkdir -p "$game/Mods/ashfront/Archives/ashfront"
"$rfa_pack" create --header "$game/Mods/ashfront/Archives/ashfront/game.rfa" \
  "AshFront/game/GameModeSettings=$content/ashfront/GameModeSettings"

# The second mod.
mkdir -p "$game/Mods/frontier"
cp "$content/frontier/Init.con" "$game/Mods/frontier/Init.con"

count=0
while read -r mod level types header title; do
  case "$mod" in '' | '#'*) continue ;; esac
  # The folder inside the archive carries the level's display spelling ("Hue").
  folder="Levels/${level^}"
  stage="$staging/$mod/$level"
  mkdir -p "$stage/Info" "$stage/GameTypes"
  fill "$content/level/Info.desc" "$stage/Info/$level.desc"
  IFS=',' read -r -a kinds <<< "$types"
  for kind in "${kinds[@]}"; do
    case "$kind" in
      conquest) fill "$content/level/Conquest.con" "$stage/GameTypes/Conquest.con" ;;
      coop) fill "$content/level/Coop.con" "$stage/GameTypes/Coop.con" ;;
      -) ;;
      *) echo "$0: unknown game type $kind for $level" >&2; exit 1 ;;
    esac
  done
  levels="$game/Mods/$mod/Archives/AshFront/Levels"
  mkdir -p "$levels"
  flags=()
  [ "$header" = yes ] && flags+=(--header)
  "$rfa_pack" create "${flags[@]}" "$levels/$level.rfa" "$folder=$stage"
  count=$((count + 1))
done < "$content/levels.txt"

echo "demo content: $count level archives and game.rfa written to $game"
