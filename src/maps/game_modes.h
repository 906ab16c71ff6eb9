// The game's four modes: their ids as the console writes them (GPM_CQ ...), their display
// names as the maps page shows them, their bits in the Maps.con mode mask and their names in
// the status query's "gametype". Constant data only.
#pragma once

#include <cstdint>
#include <string_view>

namespace varnholt {

// Pairs of id and display name, in mask-bit order.
inline constexpr std::string_view kGameModeTable =
    "GPM_CQ/Conquest,GPM_COOP/Cooperative,GPM_EVOL/Evolution,GPM_CCOMBAT/Custom Combat";

// The display name of the first pair whose id equals `id` (any case); empty when none.
std::string_view ModeDisplayName(std::string_view id);
// The id of the first pair whose display name equals `name` (any case); empty when none.
std::string_view ModeIdFromDisplayName(std::string_view name);
// The mask bit of a mode id (any case): 1, 2, 4, 8; 0 for an unknown id.
uint32_t ModeBit(std::string_view id);
// The id of a mask bit (1, 2, 4 or 8); empty for anything else.
std::string_view ModeIdFromBit(uint32_t bit);
// The mode id of a status reply's "gametype" ("conquest", "coop", "evolution",
// "customcombat"); empty for anything else.
std::string_view ModeIdFromGameType(std::string_view gametype);

}  // namespace varnholt
