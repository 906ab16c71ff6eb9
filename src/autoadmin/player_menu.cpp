#include "autoadmin/player_menu.h"

#include "autoadmin/auto_admin.h"
#include "autoadmin/menu_line.h"
#include "bans/bans.h"
#include "core/notify_codes.h"
#include "gamelink/console_wire.h"
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

// The menu a path leads to, with its submenus made as needed (names in any case).
std::vector<MenuItem>* Descend(std::vector<MenuItem>* menu, const std::vector<std::string>& path) {
  for (const std::string& name : path) {
    MenuItem* found = nullptr;
    for (MenuItem& item : *menu) {
      if (item.IsSubmenu() && EqualsNoCase(item.text, name)) {
        found = &item;
        break;
      }
    }
    if (found == nullptr) {
      menu->push_back(MenuItem{name, 0, false, {}});
      found = &menu->back();
    }
    menu = &found->submenu;
  }
  return menu;
}

}  // namespace

PlayerMenu::PlayerMenu(std::string path, EventLog& log, GameLink& link, CommandQueue& queue,
                       PlayerMenuEnvironment env)
    : path_(std::move(path)), log_(log), link_(link), queue_(queue), env_(std::move(env)) {}

bool PlayerMenu::ReadMenuLines(std::vector<std::string>* lines) {
  std::string text;
  if (!ReadWholeFile(path_, &text, 16u * 1024u * 1024u)) {
    log_.LogMessage(kSoundNone, "Couldn't open player menu file! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  lines->clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t stop = end == std::string::npos ? text.size() : end;
    // A long line comes in pieces, each of which counts as a line.
    for (size_t piece = start; piece < stop || piece == start; piece += kMenuLinePiece) {
      std::string line = text.substr(piece, std::min(kMenuLinePiece, stop - piece));
      if (!line.empty() && line.back() == '\r') line.pop_back();
      // The default file ends in a zero byte, which ends its last line.
      line = line.substr(0, line.find('\0'));
      lines->push_back(std::move(line));
      if (piece + kMenuLinePiece >= stop) break;
    }
    start = stop + 1;
  }
  return true;
}

bool PlayerMenu::BuildPlayerMenu(const MenuContext& context, std::vector<MenuItem>* menu) {
  menu->clear();
  std::vector<std::string> lines;
  if (!ReadMenuLines(&lines)) return false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const MenuLine line = ParseMenuLine(lines[i]);
    if (line.comment || line.item.empty()) continue;
    Descend(menu, line.path)->push_back(MenuItem{line.item, static_cast<int>(i + 1), false, {}});
  }
  const bool player = context.player_selected;
  if (player) {
    menu->push_back(MenuItem{"Custom kick...", kMenuCustomKick, false, {}});
    menu->push_back(MenuItem{"Custom ban...", kMenuCustomBan, false, {}});
  }
  menu->push_back(MenuItem{"", 0, true, {}});
  if (player) {
    menu->push_back(MenuItem{"Take screenshot", kMenuScreenshot, false, {}});
    menu->push_back(MenuItem{"Copy player name", kMenuCopyName, false, {}});
    menu->push_back(MenuItem{"Ban player name", kMenuBanName, false, {}});
    if (context.keyhash_known && !context.account_names.empty()) {
      MenuItem accounts{"Copy keyhash to user", 0, false, {}};
      for (size_t i = 0; i < context.account_names.size(); ++i) {
        accounts.submenu.push_back(
            MenuItem{context.account_names[i], kMenuAccountBase + static_cast<int>(i), false, {}});
      }
      menu->push_back(std::move(accounts));
    }
  }
  menu->push_back(MenuItem{"Edit player menu...", kMenuEditPlayerMenu, false, {}});
  menu->push_back(MenuItem{"Edit banned words...", kMenuEditBannedWords, false, {}});
  return true;
}

void PlayerMenu::AnnounceText(const std::string& text, int32_t origin) {
  const bool server_message = env_.admin_messages && env_.admin_messages();
  queue_.QueueCommand(server_message ? kCmdServerMessage : kCmdChat,
                      Cut(std::string(kAutoAdminPrefix) + " " + text, kCommandTextSize - 1), origin,
                      0);
}

bool PlayerMenu::ApplyMenuLine(int player_id, int line, int32_t origin) {
  if (line <= 0 || line >= kMenuAccountBase) return false;
  std::vector<std::string> lines;
  if (!ReadMenuLines(&lines) || static_cast<size_t>(line) > lines.size()) return false;
  const MenuLine m = ParseMenuLine(lines[static_cast<size_t>(line) - 1]);
  if (m.comment) return false;
  PlayerRecord player;
  const bool has_player = player_id >= 0 && link_.FindPlayerById(player_id, &player);
  const bool delayed = env_.kick_ban_delay && env_.kick_ban_delay();
  const std::string reason = m.message.empty() ? "unknown reason" : m.message;
  const std::string name = ConsoleSafeText(player.name);
  bool removed = false;
  if (has_player && (m.kick || m.ban)) {
    if (!m.message.empty()) {
      AnnounceText(name + (m.ban ? " banned for " : " kicked for ") + m.message, origin);
    }
    queue_.QueueCommand(kCmdConsoleCommand, "admin.admin_killplayer " + std::to_string(player_id),
                        origin, 0);
    if (m.ban) {
      QueueBan(queue_, player, m.seconds, reason, origin, delayed);
    } else {
      QueueKick(queue_, player, reason, origin, delayed);
    }
    removed = true;
  }
  if (!m.message.empty() && !m.cmd) {
    if (!has_player || m.global) {
      AnnounceText(m.message, origin);
    } else if (!removed) {
      AnnounceText(name + " " + m.message, origin);
    }
  }
  if (!m.message.empty() && m.cmd) {
    queue_.QueueCommand(kCmdConsoleCommand,
                        ExpandMenuTemplate(m.message, player_id, has_player ? &player : nullptr),
                        origin, 0);
  }
  return removed;
}

bool PlayerMenu::CustomKick(int player_id, std::string_view opened_on, std::string_view reason,
                            int32_t origin) {
  PlayerRecord player;
  if (!link_.FindPlayerById(player_id, &player) || player.name != opened_on) return false;
  const std::string why = reason.empty() ? "unknown reason" : std::string(reason);
  AnnounceText(ConsoleSafeText(player.name) + " kicked for " + why, origin);
  return QueueKick(queue_, player, why, origin, env_.kick_ban_delay && env_.kick_ban_delay());
}

bool PlayerMenu::CustomBan(int player_id, std::string_view opened_on, std::string_view reason,
                           int32_t origin) {
  PlayerRecord player;
  if (!link_.FindPlayerById(player_id, &player) || player.name != opened_on) return false;
  const std::string why = reason.empty() ? "unknown reason" : std::string(reason);
  AnnounceText(ConsoleSafeText(player.name) + " banned for " + why, origin);
  return QueueBan(queue_, player, 0, why, origin, env_.kick_ban_delay && env_.kick_ban_delay());
}

void PlayerMenu::TakeScreenshot(int player_id, int32_t origin) {
  queue_.QueueCommand(kCmdScreenshot, std::to_string(player_id + 1), origin, 0);
}

void PlayerMenu::BanPlayerName(std::string_view name, int32_t origin) {
  queue_.QueueCommand(kCmdBanName, name, origin, 0);
}

bool PlayerMenu::EditPlayerMenu() {
  if (OpenInTextEditor(path_)) return true;
  log_.LogMessage(kSoundError, "Couldn't open player menu file for editing! %s",
                  ErrorText(GetLastErrorCode()));
  return false;
}

int PlayerMenu::FindMenuShortcut(std::string_view word) {
  std::vector<std::string> lines;
  if (word.empty() || !ReadMenuLines(&lines)) return 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (LineHasShortcut(lines[i], word)) return static_cast<int>(i + 1);
  }
  return 0;
}

}  // namespace varnholt
