// The player menu of PlayerMenu.con: the menu the window shows on a player (the file's items
// in their submenus, then the fixed items), the actions of a chosen line (announcements,
// kicks, bans, console commands), and the shortcut words in-game administrators type.
//
// Threads: the file is only read. BuildPlayerMenu runs on the user-interface thread,
// ApplyMenuLine and FindMenuShortcut on either thread; they only queue Commands.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_queue.h"
#include "core/game_link.h"
#include "log/event_log.h"

namespace varnholt {

// Ids of the fixed items; ids from kMenuAccountBase up never denote file lines.
constexpr int kMenuAccountBase = 0xFE00;  // + account index: "Copy keyhash to user"
constexpr int kMenuCustomKick = 0xFFF9;
constexpr int kMenuCustomBan = 0xFFFA;
constexpr int kMenuScreenshot = 0xFFFB;
constexpr int kMenuBanName = 0xFFFC;
constexpr int kMenuCopyName = 0xFFFD;
constexpr int kMenuEditBannedWords = 0xFFFE;
constexpr int kMenuEditPlayerMenu = 0xFFFF;
// Lines are read in pieces of at most this many characters; each piece counts as a line.
constexpr size_t kMenuLinePiece = 1023;

struct MenuItem {
  std::string text;
  int id = 0;  // the line number, or a fixed item's id
  bool separator = false;
  std::vector<MenuItem> submenu;  // not empty for a submenu
  bool IsSubmenu() const { return !submenu.empty(); }
};

// What the fixed items depend on.
struct MenuContext {
  bool player_selected = false;
  bool keyhash_known = false;
  std::vector<std::string> account_names;
};

struct PlayerMenuEnvironment {
  std::function<bool()> kick_ban_delay;  // the KickBanDelay option
  std::function<bool()> admin_messages;  // the AdminMessages option
};

class PlayerMenu {
 public:
  PlayerMenu(std::string path, EventLog& log, GameLink& link, CommandQueue& queue,
             PlayerMenuEnvironment env);

  // The whole menu; false (logged) when the file cannot be read.
  bool BuildPlayerMenu(const MenuContext& context, std::vector<MenuItem>* menu);
  // Carries out file line `line` for player `player_id` (-1: none) in the name of `origin`;
  // true when it kicked or banned.
  bool ApplyMenuLine(int player_id, int line, int32_t origin);
  // The number of the first line holding the shortcut `word`; 0 when none.
  int FindMenuShortcut(std::string_view word);

  // The fixed items. A custom kick or ban goes ahead only while `player_id` still holds the
  // player the menu was opened on (`opened_on`); false otherwise. The ban is permanent.
  bool CustomKick(int player_id, std::string_view opened_on, std::string_view reason,
                  int32_t origin);
  bool CustomBan(int player_id, std::string_view opened_on, std::string_view reason,
                 int32_t origin);
  void TakeScreenshot(int player_id, int32_t origin);
  void BanPlayerName(std::string_view name, int32_t origin);
  // "Edit player menu...": opens the file in the text editor without waiting; false (logged)
  // when the editor cannot be started.
  bool EditPlayerMenu();

  // Says "[VRNH] text" to every player, as chat or a server message as the options say.
  void AnnounceText(const std::string& text, int32_t origin);

 private:
  // The file's lines, line endings removed; false (logged) on a file error.
  bool ReadMenuLines(std::vector<std::string>* lines);

  const std::string path_;
  EventLog& log_;
  GameLink& link_;
  CommandQueue& queue_;
  PlayerMenuEnvironment env_;
};

}  // namespace varnholt
