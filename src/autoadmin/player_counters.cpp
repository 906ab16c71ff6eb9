#include "autoadmin/player_counters.h"

#include "platform/ascii_text.h"

namespace varnholt {

PlayerCounts* PlayerCounters::For(const PlayerRecord& player) {
  if (player.id < 0 || player.id >= kPlayerSlots) return nullptr;
  PlayerCounts& slot = slots_[static_cast<size_t>(player.id)];
  if (!EqualsNoCase(slot.name, player.name) || !EqualsNoCase(slot.keyhash, player.keyhash)) {
    slot = PlayerCounts{};
    slot.name = player.name;
    slot.keyhash = player.keyhash;
  }
  return &slot;
}

}  // namespace varnholt
