// Admin commands typed in chat as "!word": the next map for everybody, and for players
// whose keyhash belongs to an active account the map commands (with the Maps right) and
// every shortcut of the player menu, run in the account's name ("at game").
//
// Threads: the worker, inside the console exchange that carried the chat; it only queues
// Commands.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "autoadmin/player_menu.h"
#include "core/command_queue.h"
#include "core/game_link.h"
#include "log/event_log.h"

namespace varnholt {

// The account an in-game administrator's keyhash belongs to.
struct GameAdminAccount {
  int index = 0;
  uint32_t rights = 0;
  bool active = false;
};

struct InGameEnvironment {
  // The first account whose keyhash equals `keyhash` (any case).
  std::function<std::optional<GameAdminAccount>(std::string_view keyhash)> find_account;
  // "map, mode, mod" of the next level, with display names.
  std::function<std::string()> next_map_text;
  bool debug = false;
};

// The Maps page right of an account.
constexpr uint32_t kGameAdminMapsRight = 0x40;
constexpr size_t kMaxSpeakerName = 32;

class InGameCommands {
 public:
  InGameCommands(EventLog& log, GameLink& link, CommandQueue& queue, PlayerMenu& menu,
                 InGameEnvironment env);

  // True when the chat line held a command that was carried out.
  bool HandleChatCommand(std::string_view line);
  void SetDebug(bool on) { env_.debug = on; }

 private:
  bool RunMapCommand(std::string_view word, uint32_t rights, int32_t origin,
                     const std::string (&p)[3], bool* handled);
  bool RunShortcut(std::string_view word, int32_t origin, const std::string& p1);
  void Reply(const std::string& text) { menu_.AnnounceText(text, 0); }

  EventLog& log_;
  GameLink& link_;
  CommandQueue& queue_;
  PlayerMenu& menu_;
  InGameEnvironment env_;
};

}  // namespace varnholt
