// One line of PlayerMenu.con taken apart: the submenu path, the item text, the quoted
// message, the actions and the shortcuts; and the console-command templates with the
// player's identities filled in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_link.h"

namespace varnholt {

struct MenuLine {
  bool comment = false;
  std::vector<std::string> path;  // submenu names, outermost first
  std::string item;               // empty: no menu item
  std::string message;
  bool kick = false;
  bool ban = false;
  bool cmd = false;
  bool global = false;
  int64_t seconds = 0;  // the ban's duration; 0 = permanent
};

MenuLine ParseMenuLine(std::string_view line);

// True when one of the pieces of the line between '[' and ']' is `word` (any case).
bool LineHasShortcut(std::string_view line, std::string_view word);

// Replaces the placeholder words %afid, %pbid, %name, %keyhash and %guid (any case) of a
// console-command template; the words are joined with single blanks. `player` is null when
// no player was chosen: the id is then -1 and the identities "[unknown]".
std::string ExpandMenuTemplate(std::string_view text, int id, const PlayerRecord* player);

}  // namespace varnholt
