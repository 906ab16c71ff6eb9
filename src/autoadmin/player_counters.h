// The auto-admin's counts for each player on the server: high-ping checks in a row, banned
// words said in chat, and whether a kick or ban of his is already on its way. A slot holds
// the counts of one player, known by id, name and keyhash: a new player who takes an id
// starts from zero. Ids outside 0-63 have no slot.
//
// Threads: worker thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/game_link.h"

namespace varnholt {

constexpr int kPlayerSlots = 64;

struct PlayerCounts {
  std::string name;
  std::string keyhash;
  uint8_t high_ping = 0;
  uint32_t chat_warnings = 0;
  // Calendar second until which a queued kick or ban of this player is awaited; his rows
  // are left alone until then so that he is not punished twice for one offence.
  int64_t removal_due = 0;
};

class PlayerCounters {
 public:
  // The counts of this player; a slot that held someone else is emptied first. nullptr for
  // an id outside 0-63.
  PlayerCounts* For(const PlayerRecord& player);

 private:
  std::array<PlayerCounts, kPlayerSlots> slots_;
};

}  // namespace varnholt
